#include "bench/RunProbes.h"

#include "engine/CShredder.h"
#include "pages/Page.h"
#include "pages/frmAddFiles.h"
#include "pages/frmProgress.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QWindow>

#include <algorithm>
#include <stdexcept>

using namespace sorvex;

namespace bench {

void Pump()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void ListOnPage(const std::string& path, bool folder)
{
    frmAddFile->lst->clear();
    QString entry = QFile::decodeName(QByteArray::fromStdString(path));
    if (folder && !entry.endsWith(u'/'))
        entry += u'/';
    frmAddFile->AddEntry(entry, folder ? FolderImage : FileImage);
}

void ShowProgressPage()
{
    MovePage(frmAddFile, frmProgr);
    const QDeadlineTimer deadline(5000);
    QWindow* const window = frmProgr->windowHandle();
    while (window != nullptr && !window->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (window == nullptr || !window->isExposed())
        throw std::runtime_error("the progress page was never exposed");
    Pump();
}

void ResetProgressPage()
{
    frmProgr->Button2Click();
    Pump();
}

PumpGaps::PumpGaps()
{
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        ++rounds_;
        Note(Clock::now());
        longestBetween_ = longest_;
    });
}

void PumpGaps::Start()
{
    longest_ = 0;
    longestBetween_ = 0;
    rounds_ = 0;
    start_ = last_ = longestEnd_ = Clock::now();
    timer_.start();
}

double PumpGaps::Stop()
{
    Note(Clock::now());
    timer_.stop();
    return longest_;
}

void PumpGaps::Note(Clock::time_point now)
{
    const double gap = SecondsBetween(last_, now);
    if (gap > longest_) {
        longest_ = gap;
        longestEnd_ = now;
    }
    last_ = now;
}

BoxWatcher::BoxWatcher()
{
    qApp->installEventFilter(this);
}

BoxWatcher::~BoxWatcher()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

BoxWatcher& Boxes()
{
    static BoxWatcher watcher;
    return watcher;
}

bool BoxWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        if (auto* const dialog = qobject_cast<QDialog*>(watched)) {
            const auto* const box = qobject_cast<QMessageBox*>(dialog);
            shown_.push_back({Clock::now(), box != nullptr ? box->text() : dialog->windowTitle()});
            QTimer::singleShot(0, dialog, [dialog] { dialog->done(QDialog::Rejected); });
        }
    }
    return QObject::eventFilter(watched, event);
}

bool DestroyedAllListed()
{
    const std::vector<RunReport::Item>& items = Shredder.Report().items;
    return std::all_of(items.begin(), items.end(),
                       [](const RunReport::Item& item) { return AboutTheMedium(item.why); });
}

WatchedServices::WatchedServices(bool inPlace) : ForwardingServices(SystemServices()), inPlace_(inPlace) {}

FileSystemInfo WatchedServices::FileSystemOf(int fd)
{
    FileSystemInfo info = real_.FileSystemOf(fd);
    if (inPlace_)
        info.overwritesInPlace = true;
    return info;
}

bool WatchedServices::ReadExtents(int fd, ExtentMap& out)
{
    ++mapsRead;
    bool read = false;
    mapSeconds += Seconds([&] { read = real_.ReadExtents(fd, out); });
    return read;
}

} // namespace bench
