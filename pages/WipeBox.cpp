#include "pages/WipeBox.h"

#include "pages/DialogColumns.h"
#include "pages/Look.h"
#include "pages/RawPath.h"

#include <QLocale>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace sorvex {

namespace {

using FileSystem = WipeReport::FileSystem;

QString Written(const FileSystem& fs)
{
    return QStringLiteral("записано поверх свободного места %1, имён создано и удалено %2")
        .arg(SizeText(fs.bytes), QLocale(QLocale::Russian).toString(static_cast<qlonglong>(fs.names)));
}

QString JournalText(const FileSystem& fs)
{
    if (!fs.hasJournal)
        return {};
    return fs.journalTurned ? QStringLiteral("; журнал перезаписан целиком")
                            : QStringLiteral("; журнал перезаписать целиком не удалось");
}

QString EndText(const FileSystem& fs)
{
    switch (fs.end) {
    case WipeEnd::Wiped:
        return Written(fs) + JournalText(fs);
    case WipeEnd::Stopped:
        return QStringLiteral("работа остановлена, затёрта только часть свободного места: ") + Written(fs);
    case WipeEnd::NotReached:
        return QStringLiteral("не затиралось: работа остановлена раньше");
    case WipeEnd::Unopened:
        return QStringLiteral("папку не удалось открыть");
    case WipeEnd::NotADisk:
        return QStringLiteral("файловая система в памяти или самого ядра: затирать на диске нечего");
    case WipeEnd::ReadOnly:
        return QStringLiteral("файловая система только для чтения: не затиралось");
    case WipeEnd::Full:
        return QStringLiteral("свободного места нет, кроме запаса: не затиралось");
    case WipeEnd::Denied:
        return QStringLiteral("нет права записи в эту папку: не затиралось");
    case WipeEnd::Busy:
        return QStringLiteral("здесь уже затирает свободное место другая копия Sorvex");
    case WipeEnd::Failed:
        return QStringLiteral("ошибка записи, затёрта только часть свободного места: ") + Written(fs);
    }
    return {};
}

bool WroteThere(WipeEnd end)
{
    return end == WipeEnd::Wiped || end == WipeEnd::Stopped || end == WipeEnd::Failed;
}

bool AllWiped(const WipeReport& report)
{
    return std::all_of(report.fileSystems.begin(), report.fileSystems.end(),
                       [](const FileSystem& fs) { return fs.end == WipeEnd::Wiped; });
}

// A line for what no wipe reaches, naming the file systems written over that have it.
QString OutOfReach(const WipeReport& report, bool Place::*has, const QString& what)
{
    QStringList where;
    for (const FileSystem& fs : report.fileSystems)
        if (WroteThere(fs.end) && fs.place.*has)
            where << CaptionOf(QByteArray::fromStdString(fs.place.mountPoint));
    return where.isEmpty() ? QString() : QStringLiteral("\n— %1 (%2)").arg(what, where.join(QStringLiteral(", ")));
}

} // namespace

QString WipeSummary(const WipeReport& report)
{
    QString text = AllWiped(report) ? QStringLiteral("Свободное место затёрто.\n")
                                    : QStringLiteral("Свободное место затёрто не везде.\n");
    for (const FileSystem& fs : report.fileSystems) {
        const std::string& shown = fs.place.mountPoint.empty() ? fs.folder : fs.place.mountPoint;
        text +=
            QStringLiteral("\n— %1 (%2): %3")
                .arg(CaptionOf(QByteArray::fromStdString(shown)), QString::fromStdString(fs.place.type), EndText(fs));
    }
    const QString beyond =
        OutOfReach(report, &Place::copyOnWrite,
                   QStringLiteral("снимков и копий с общими блоками (reflink): они хранят прежние данные")) +
        OutOfReach(report, &Place::overlay,
                   QStringLiteral("нижних слоёв overlayfs: запись идёт только в верхний слой")) +
        OutOfReach(report, &Place::flash,
                   QStringLiteral("ячеек флеш-памяти, которые контроллер накопителя вывел из обращения"));
    if (!beyond.isEmpty())
        text += QStringLiteral("\n\nЗатирание свободного места не достаёт:") + beyond;
    return text;
}

void ShowWipeBox(const WipeReport& report, QWidget* parent)
{
    QMessageBox box(AllWiped(report) ? QMessageBox::Information : QMessageBox::Warning, AppTitle, WipeSummary(report),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace sorvex
