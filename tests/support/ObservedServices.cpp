#include "tests/support/ObservedServices.h"

#include "tests/support/TempTree.h"

#include <QAbstractButton>
#include <QMetaObject>

#include <sys/stat.h>

using namespace sorvex;

bool ObservedServices::ListFolder(const std::string& path, bool followLink, sorvex::FolderListing& out)
{
    listed.push_back(path);
    listedFollowingLinks.push_back(followLink);
    bool found = false;
    if (auto scripted = folders.find(path); scripted != folders.end()) {
        out.Clear();
        for (const Entry& entry : scripted->second)
            out.Add(entry.name, entry.isFolder);
        found = true;
    } else if (!scriptedOnly) {
        found = real_.ListFolder(path, followLink, out);
    } else {
        out.Clear();
    }
    if (afterList)
        afterList(path);
    return found;
}

void ObservedServices::MakeWritable(const std::string& path)
{
    ++madeWritable;
    real_.MakeWritable(path);
}

int ObservedServices::OpenForWriting(const std::string& path)
{
    opened.push_back(path);
    return real_.OpenForWriting(path);
}

std::int64_t ObservedServices::Size(int fd)
{
    const std::int64_t bytes = real_.Size(fd);
    sizes.push_back(bytes);
    return bytes;
}

long ObservedServices::Write(int fd, const void* data, std::size_t count)
{
    ++writes;
    const long writable = shortWrite ? shortWrite(writes) : -1;
    if (writable >= 0 && static_cast<std::size_t>(writable) < count)
        count = static_cast<std::size_t>(writable);
    const long result = failWrite && failWrite(writes) ? -1 : real_.Write(fd, data, count);
    if (afterWrite)
        afterWrite(writes);
    return result;
}

bool ObservedServices::Flush(int fd)
{
    ++flushes;
    return !failFlush && real_.Flush(fd);
}

void ObservedServices::Remove(const std::string& path)
{
    removed.push_back(path);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        contentAtRemoval[path] = ReadFile(path);
    real_.Remove(path);
}

void PostClick(QAbstractButton* button)
{
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}
