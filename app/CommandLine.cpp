#include "app/CommandLine.h"

#include "pages/Locations.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <optional>

#include <unistd.h>

namespace sorvex {

namespace {

// The working folder; nothing when it cannot be read (it was removed, or a
// folder above it cannot be searched): a relative path then names nothing.
std::optional<QByteArray> CurrentFolder()
{
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    QByteArray folder(buffer.data());
    if (!folder.startsWith('/'))
        return std::nullopt;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// A file manager's location: a file: or trash: URI.
bool IsLocation(const char* argument)
{
    return std::strncmp(argument, "file:/", 6) == 0 || std::strncmp(argument, "trash:/", 7) == 0;
}

// An empty argument names no file: taken as relative it would be the working folder.
PathArgument ArgumentOf(const char* path, const std::optional<QByteArray>& folder)
{
    if (path[0] == '\0')
        return {QByteArray(), PathRefusal::Empty};
    if (IsLocation(path)) {
        const QByteArray local = LocalPathOf(QUrl::fromEncoded(path));
        return local.isEmpty() ? PathArgument{QByteArray(path), PathRefusal::NotLocal} : PathArgument{local};
    }
    if (path[0] == '/')
        return {QByteArray(path)};
    if (!folder)
        return {QByteArray(path), PathRefusal::Unresolvable};
    return {*folder + path};
}

// Everything after the program's name that is not an option, in order.
std::vector<PathArgument> PathsOf(int argc, char** argv)
{
    const std::optional<QByteArray> folder = CurrentFolder();
    std::vector<PathArgument> paths;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        if (!optionsEnd && std::strcmp(argv[i], "--") == 0)
            optionsEnd = true;
        else if (optionsEnd || argv[i][0] != '-' || argv[i][1] == '\0')
            paths.push_back(ArgumentOf(argv[i], folder));
    }
    return paths;
}

} // namespace

CommandLine ReadCommandLine(int argc, char** argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sorvex : Personal Edition: уничтожает файлы и папки без возможности восстановления."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию и выйти."));
    const QCommandLineOption freeSpace(
        QStringLiteral("free-space"),
        QStringLiteral("Затереть свободное место файловых систем, на которых лежат указанные папки, сразу на "
                       "странице хода работы."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(freeSpace);
    parser.addPositionalArgument(QStringLiteral("путь"),
                                 QStringLiteral("Файл или папка, которые сразу окажутся в списке на уничтожение: "
                                                "путь, или адрес file: или trash: из файлового менеджера; с "
                                                "--free-space — папка, свободное место под которой затереть."),
                                 QStringLiteral("[путь...]"));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Without an application object Qt does not know the program's name.
    const QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("sorvex"));
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::Refuse;
        line.text = QStringLiteral("sorvex: %1\n\n%2").arg(parser.errorText(), usage);
    } else if (parser.isSet(help)) {
        line.action = CommandLine::Action::Print;
        line.text = usage;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Print;
        line.text = QStringLiteral("sorvex %1\n").arg(QStringLiteral(SORVEX_VERSION));
    } else {
        line.paths = PathsOf(argc, argv);
        line.freeSpace = parser.isSet(freeSpace);
        if (line.freeSpace && line.paths.empty()) {
            line.action = CommandLine::Action::Refuse;
            line.text = QStringLiteral("sorvex: --free-space: не названо ни одной папки\n\n%1").arg(usage);
        }
    }
    return line;
}

} // namespace sorvex
