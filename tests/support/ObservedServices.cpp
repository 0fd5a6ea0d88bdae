#include "tests/support/ObservedServices.h"

#include "tests/support/TempTree.h"

#include <QAbstractButton>
#include <QMetaObject>

#include <sys/stat.h>

bool ObservedServices::listFolder(const std::string& path, bool followLink, platform::FolderListing& out)
{
    listed.push_back(path);
    bool found = false;
    if (auto scripted = folders.find(path); scripted != folders.end()) {
        out.clear();
        for (const Entry& entry : scripted->second)
            out.add(entry.name, entry.isFolder);
        found = true;
    } else if (!scriptedOnly) {
        found = real_.listFolder(path, followLink, out);
    } else {
        out.clear();
    }
    if (afterList)
        afterList(path);
    return found;
}

void ObservedServices::makeWritable(const std::string& path)
{
    ++madeWritable;
    real_.makeWritable(path);
}

int ObservedServices::openForWriting(const std::string& path)
{
    opened.push_back(path);
    return real_.openForWriting(path);
}

std::int64_t ObservedServices::size(int fd)
{
    const std::int64_t bytes = real_.size(fd);
    sizes.push_back(bytes);
    return bytes;
}

long ObservedServices::write(int fd, const void* data, std::size_t count)
{
    ++writes;
    const long result = failWrite && failWrite(writes) ? -1 : real_.write(fd, data, count);
    if (afterWrite)
        afterWrite(writes);
    return result;
}

bool ObservedServices::flush(int fd)
{
    ++flushes;
    return !failFlush && real_.flush(fd);
}

void ObservedServices::remove(const std::string& path)
{
    removed.push_back(path);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        contentAtRemoval[path] = ReadFile(path);
    real_.remove(path);
}

void PostClick(QAbstractButton* button)
{
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}
