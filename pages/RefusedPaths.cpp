#include "pages/RefusedPaths.h"

#include "pages/Look.h"
#include "pages/RawPath.h"

#include <QMessageBox>

#include <map>

namespace sorvex {

QString RefusalText(PathRefusal why)
{
    switch (why) {
    case PathRefusal::None:
        break;
    case PathRefusal::Missing:
        return QStringLiteral("нет такого файла или папки");
    case PathRefusal::Empty:
        return QStringLiteral("пустой путь не называет никакого файла");
    case PathRefusal::Unresolvable:
        return QStringLiteral("относительный путь, а текущую папку не удалось прочитать");
    case PathRefusal::Root:
        return QStringLiteral("корневая папка системы: её уничтожить нельзя");
    case PathRefusal::NotLocal:
        return QStringLiteral("адрес не называет файла на этом компьютере");
    case PathRefusal::NotAFolder:
        return QStringLiteral("не папка: свободное место затирается из папки");
    }
    return {};
}

QString RefusedPaths::Summary() const
{
    std::map<PathRefusal, int> counts;
    for (const auto& [path, why] : paths_)
        ++counts[why];
    QString text = QStringLiteral("Не добавлено в список путей: %1.\n").arg(paths_.size());
    for (const auto& [why, count] : counts)
        text += QStringLiteral("\n— %1: %2").arg(RefusalText(why)).arg(count);
    text += QStringLiteral("\n\nВсе пути — в подробностях.");
    return text;
}

QString RefusedPaths::Details() const
{
    QString text;
    for (const auto& [path, why] : paths_) {
        const QString shown = path.isEmpty() ? QStringLiteral("\"\"") : CaptionOf(path);
        text += shown + QStringLiteral(" — ") + RefusalText(why) + u'\n';
    }
    return text;
}

void RefusedPaths::Tell(QWidget* owner) const
{
    if (IsEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, AppTitle, Summary(), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDetailedText(Details());
    box.exec();
}

} // namespace sorvex
