#include "pages/ReportBox.h"

#include "engine/FreeSpaceWipe.h"
#include "pages/Look.h"
#include "pages/RawPath.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstring>
#include <map>
#include <utility>

namespace sorvex {

namespace {

// The system's own words for an error number, in the user's language where
// the C library has them.
QString SystemMessage(int error)
{
    if (error == 0)
        return QStringLiteral("неизвестная ошибка");
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString ReasonText(Remains why, int error)
{
    switch (why) {
    case Remains::NotInPlace:
        return QStringLiteral("перезапись легла не туда, где были данные (копирование при записи, общие с другими "
                              "файлами блоки или данные внутри служебных записей файловой системы)");
    case Remains::NotChecked:
        return QStringLiteral("не удалось проверить, легла ли перезапись на место данных");
    case Remains::OtherNames:
        return QStringLiteral("удалено только имя: содержимое осталось доступно под другими именами (жёсткие ссылки)");
    case Remains::FolderUnreadable:
        return QStringLiteral("папку не удалось прочитать, или она исчезла");
    case Remains::NotDeleted:
        return QStringLiteral("файл не удалось удалить (его содержимое перезаписано)");
    case Remains::Stopped:
        return QStringLiteral("работа остановлена на этом файле: его неперезаписанная часть осталась");
    case Remains::OtherFileSystem:
        return QStringLiteral("другая файловая система внутри выбранной папки: не затронута");
    case Remains::SystemFileSystem:
        return QStringLiteral("системная файловая система: ничего не записано");
    case Remains::Changed:
        return QStringLiteral("изменился во время работы (ссылка или другой файл): не затронут");
    case Remains::NotAPlainFile:
        return QStringLiteral("устройство, канал или сокет: оставлен на месте");
    case Remains::LowerLayer:
        return QStringLiteral("файл из нижнего слоя overlayfs: его прежнее содержимое осталось в нижнем слое");
    case Remains::Journalled:
        return QStringLiteral("файловая система ведёт журнал данных: копии содержимого могут остаться в журнале");
    case Remains::Swapped:
        return QStringLiteral("файл в оперативной памяти (tmpfs) при включённой подкачке: части содержимого могли "
                              "попасть в раздел подкачки");
    case Remains::NotReached:
        return QStringLiteral("не обработан: работа прервана ошибкой");
    case Remains::ReadOnlyFileSystem:
        return QStringLiteral("файловая система только для чтения");
    case Remains::WriteProtected:
        return QStringLiteral("файл защищён от изменений (атрибут i или a)");
    case Remains::InUse:
        return QStringLiteral("файл занят работающей программой");
    case Remains::NoWritePermission:
        return QStringLiteral("нет прав на запись");
    case Remains::SystemError:
        return SystemMessage(error);
    case Remains::NamesInFolderBlocks:
        return QStringLiteral("имена файлов могут остаться в служебных блоках файловой системы: она не стирает имена "
                              "удалённых файлов в блоках папок");
    case Remains::NamesInCopies:
        return QStringLiteral("имена файлов могут остаться в прежних копиях служебных записей файловой системы "
                              "(копирование при записи)");
    case Remains::NamesInJournal:
        return QStringLiteral("имена файлов могут остаться в журнале файловой системы: он хранит копии блоков папок, "
                              "сделанные до уничтожения, пока не перезапишет их");
    case Remains::Flash:
        return QStringLiteral("носитель — флеш-память (SSD, флешка, карта памяти): контроллер переносит записи в "
                              "другие ячейки, и прежнее содержимое может остаться там, куда перезапись не доходит");
    case Remains::AttributesKept:
        return QStringLiteral("расширенные атрибуты (user.*) стёрты, но их прежние значения могут остаться в "
                              "служебных блоках или журнале файловой системы");
    case Remains::DesktopCopy:
        return QStringLiteral("копию на рабочем столе (эскиз или список недавних файлов) не удалось уничтожить");
    }
    return {};
}

QString ReportSummary(const RunReport& report)
{
    std::map<std::pair<Remains, int>, int> counts;
    for (const RunReport::Item& item : report.items)
        ++counts[{item.why, item.error}];
    QString text = QStringLiteral("Не всё из выбранного уничтожено без следа: часть данных ещё может быть "
                                  "прочитана.\n");
    for (const auto& [why, count] : counts) {
        if (AboutTheMedium(why.first)) // said of the file systems named in the details, not counted
            text += QStringLiteral("\n— %1").arg(ReasonText(why.first, why.second));
        else
            text += QStringLiteral("\n— %1: %2").arg(ReasonText(why.first, why.second)).arg(count);
    }
    text += QStringLiteral("\n\nПолный список — в подробностях.");
    return text;
}

QString ReportDetails(const RunReport& report)
{
    QString text;
    for (const RunReport::Item& item : report.items)
        text += CaptionOf(QByteArray::fromStdString(item.path)) + QStringLiteral(" — ") +
                ReasonText(item.why, item.error) + u'\n';
    return text;
}

bool ShowReportBox(const RunReport& report, QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, AppTitle, ReportSummary(report), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDetailedText(ReportDetails(report));
    QPushButton* wipe = nullptr;
    if (!FoldersToWipe(report).empty())
        wipe = box.addButton(QStringLiteral("Затереть свободное место"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok); // Enter and Escape close it; the wipe asks for a click of its own
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return wipe != nullptr && box.clickedButton() == wipe;
}

} // namespace sorvex
