// The welcome picture is decoded by libjpeg straight from the program's resources.
#include "pages/JpegPicture.h"
#include "pages/frmStart.h"
#include "tests/support/Pages.h"

#include <QFile>

using namespace sorvex;

static QByteArray Resource(const char* name)
{
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Jpeg, WelcomePictureDecodesAt161By313)
{
    const QByteArray jpeg = Resource(":/welcome.jpg");
    ASSERT_FALSE(jpeg.isEmpty());
    const QImage image = DecodeJpeg(jpeg);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(161, 313));
}

TEST(Jpeg, DamagedDataGivesNoPictureAndNoCrash)
{
    const QByteArray jpeg = Resource(":/welcome.jpg");
    EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture at all")).isNull());
    EXPECT_TRUE(DecodeJpeg(jpeg.left(jpeg.size() / 2)).isNull()) << "truncated";
    QByteArray scrambled = jpeg;
    for (qsizetype i = 200; i < scrambled.size(); i += 7)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    EXPECT_TRUE(DecodeJpeg(scrambled).isNull()) << "scrambled";
}

using WelcomePicture = PagesTest;

TEST_F(WelcomePicture, CorruptPictureLeavesThePageWithoutOne)
{
    Form1->LoadPicture(QByteArray("\xFF\xD8\xFF\xE0 broken", 12));
    EXPECT_TRUE(Form1->Image1->pixmap().isNull());
    Form1->show();
    EXPECT_TRUE(Form1->isVisible());
}
