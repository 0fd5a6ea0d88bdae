#include "pages/frmStart.h"

#include "pages/Dispatch.h"
#include "pages/JpegPicture.h"
#include "pages/Pump.h"
#include "pages/frmAddFiles.h"
#include "ui_frmStart.h"

#include <QFile>
#include <QPixmap>

using namespace sorvex;

TForm1* Form1 = nullptr;

static QByteArray ReadResource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TForm1::TForm1() : Page({192, 107}, Frame::Dialog)
{
    Ui::TForm1 ui;
    ui.setupUi(this);
    Panel1 = ui.Panel1;
    Image1 = ui.Image1;
    StaticText1 = ui.StaticText1;
    StaticText2 = ui.StaticText2;
    StaticText3 = ui.StaticText3;
    StaticText4 = ui.StaticText4;
    Button1 = ui.Button1;
    Button2 = ui.Button2;
    Button3 = ui.Button3;
    LoadPicture(ReadResource(QStringLiteral(":/welcome.jpg")));
    Bind(Button1, this, &TForm1::Button1Click);
    Bind(Button2, this, &TForm1::Button2Click);
    DescribeBy({StaticText2});
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
