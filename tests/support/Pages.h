#pragma once

#include "pages/ProgressBar.h"
#include "pages/Wizard.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

// The controls of the pages, as tests press and read them.
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

// Every test starts with the four pages freshly created, as at start-up.
class PagesTest : public testing::Test {
protected:
    void SetUp() override { sorvex::CreatePages(); }
    void TearDown() override { sorvex::DestroyPages(); }
};
