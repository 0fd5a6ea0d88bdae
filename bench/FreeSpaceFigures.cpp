// The wipe of the free space against dd: its data written at the disk's
// speed, on an ext4 image of its own mounted through a loop device.
#include "bench/Figures.h"
#include "bench/RunProbes.h"
#include "engine/CShredder.h"
#include "pages/frmProgress.h"

#include <stdexcept>

#include <unistd.h>

using namespace sorvex;

namespace bench {

namespace {

constexpr std::int64_t MiB = std::int64_t{1} << 20;

// The system's services, noting when the data began and when it was on the
// medium: the first write, and the commit that follows the data's flush.
class TimedSpace final : public ForwardingFreeSpace {
public:
    std::int64_t bytes = 0;
    Clock::time_point first;
    Clock::time_point flushed;

    Filled Fill(int fd, const void* data, std::size_t count, std::int64_t offset) override
    {
        if (bytes == 0)
            first = Clock::now();
        const Filled filled = real_.Fill(fd, data, count, offset);
        bytes += filled.written;
        return filled;
    }
    bool SyncAll(int fd) override
    {
        if (flushed < first)
            flushed = Clock::now();
        return real_.SyncAll(fd);
    }
};

// The whole wipe on the progress page; the seconds of its data, written and
// flushed, go to data, and how many bytes they were to bytes.
double TimedWipe(const std::string& mountPoint, std::vector<double>& data, std::int64_t& bytes)
{
    TimedSpace space;
    Shredder.UseFreeSpaceServices(space);
    ShowProgressPage();
    const double whole = Seconds([&] { frmProgr->WipeFreeSpace({mountPoint}); });
    Shredder.UseFreeSpaceServices(SystemFreeSpace());
    ResetProgressPage();
    if (space.bytes < 256 * MiB)
        throw std::runtime_error("the wipe wrote only " + std::to_string(space.bytes) + " bytes");
    data.push_back(SecondsBetween(space.first, space.flushed));
    bytes = space.bytes;
    return whole;
}

// dd writing the same bytes in mebibytes, with fdatasync at the end; the
// file removed after, outside the time.
double Dd(const std::string& mountPoint, std::int64_t bytes)
{
    const std::string file = mountPoint + "/dd.bin";
    const double seconds = RunCommand({"dd", "if=/dev/zero", "of=" + file, "bs=1M",
                                       "count=" + std::to_string(bytes / MiB), "conv=fdatasync", "status=none"});
    unlink(file.c_str());
    if (seconds < 0)
        throw std::runtime_error("dd failed on " + file);
    return seconds;
}

} // namespace

std::vector<Row> FreeSpaceFigures(const Places& places)
{
    const std::string figure = "freespace: data of a wipe of the free space, ext4 on a loop device (1 GiB image in "
                               "the build folder) / dd of as many bytes, bs=1M conv=fdatasync";
    if (geteuid() != 0)
        return {{figure, "not measured: a loop device needs root", "<= 1.10 x", "-"}};
    const TempTree scratch(places.disk);
    const std::string image = scratch.path() + "/free.img";
    const std::string mountPoint = scratch.path() + "/mnt";
    MakeFolder(mountPoint);
    if (RunCommand({"truncate", "-s", "1G", image}) < 0 || RunCommand({"mkfs.ext4", "-q", image}) < 0 ||
        RunCommand({"mount", "-o", "loop", image, mountPoint}) < 0)
        return {{figure, "not measured: the image could not be made or mounted", "<= 1.10 x", "-"}};
    Say("freespace: a 1 GiB ext4 image, the wipe against dd");
    std::vector<double> data;
    std::int64_t bytes = 0;
    TimedWipe(mountPoint, data, bytes); // the image's blocks allocated once, for both alike
    data.clear();
    std::vector<double> dd;
    const auto seconds = Interleave(Rounds(5, 3), {[&] { return TimedWipe(mountPoint, data, bytes); },
                                                   [&] {
                                                       dd.push_back(Dd(mountPoint, bytes));
                                                       return dd.back();
                                                   }});
    RunCommand({"umount", mountPoint});
    const double ratio = MedianRatio(data, dd);
    return {
        {figure,
         Format("%.2f x (%.3f s / %.3f s), ", ratio, Median(data), Median(dd)) + std::to_string(bytes / MiB) + " MiB",
         "<= 1.10 x", Verdict(ratio <= 1.10)},
        {"freespace: the whole wipe of the same (data, names, journal, removal)", Format("%.3f s", Median(seconds[0])),
         "", "-"}};
}

} // namespace bench
