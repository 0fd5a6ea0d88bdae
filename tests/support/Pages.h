#pragma once

#include "app/Application.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

// Every test starts with the four pages freshly created, as at start-up.
class PagesTest : public testing::Test {
protected:
    void SetUp() override { CreatePages(); }
    void TearDown() override { DestroyPages(); }
};
