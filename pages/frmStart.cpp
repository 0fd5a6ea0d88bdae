#include "pages/frmStart.h"

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/PageFrame.h"
#include "pages/JpegPicture.h"
#include "pages/frmAddFiles.h"

#include <QCloseEvent>
#include <QFile>
#include <QPixmap>

TForm1* Form1 = nullptr;

static QByteArray ReadResource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(192, 107); // design position
    UseDialogFrame(this);
    LoadPicture(ReadResource(QStringLiteral(":/welcome.jpg")));
    Bind(Button1, this, &TForm1::Button1Click);
    Bind(Button2, this, &TForm1::Button2Click);
    Button1->setFocus();
}

void TForm1::LoadPicture(const QByteArray& jpeg)
{
    const QImage picture = DecodeJpeg(jpeg);
    if (picture.isNull())
        Image1->clear();
    else
        Image1->setPixmap(QPixmap::fromImage(picture));
}

void TForm1::Button1Click()
{
    Terminate();
}

void TForm1::Button2Click()
{
    MovePage(this, frmAddFile);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Dispatch([this] { Button1Click(); });
}
