// Which file, and on which mount: a file whose device is not its folder's
// (an overlay without xino, a btrfs subvolume) is still on the folder's
// mount, while a file mounted over a name is not, whatever its device says.
#include "tests/support/EngineTest.h"

using namespace sorvex;

namespace {

constexpr std::uint64_t OwnDevice = 1000; // added to a file's device where it has one of its own

// The real files, seen as a file system whose files each have a device of
// their own and whose mounts the test makes up.
class MadeUpMounts : public ObservedServices {
public:
    bool ownDevice = false; // files' devices differ from their folder's
    std::uint64_t folderMount = 0; // 0: the system does not tell
    std::uint64_t fileMount = 0;
    bool listingLies = false; // the listing's identity is not what a look gives (FUSE, vfat)

    Listed ListFolder(int folder, FolderListing& out, const std::function<bool()>& betweenBatches) override
    {
        FolderListing real;
        const Listed read = ObservedServices::ListFolder(folder, real, betweenBatches);
        out.Clear();
        std::string_view name;
        bool isFolder = false;
        FileId id;
        while (real.Next(name, isFolder, id))
            out.Add(name, isFolder, isFolder ? id : Seen(id, listingLies));
        return read;
    }
    std::uint64_t MountOf(int) override { return folderMount; }
    Node Inspect(int folder, std::string_view name) override
    {
        Node node = ObservedServices::Inspect(folder, name);
        if (node.kind != NodeKind::Folder && node.kind != NodeKind::Missing) {
            node.id = Seen(node.id, false);
            node.mount = fileMount;
        }
        return node;
    }
    Opened OpenForWriting(int folder, std::string_view name, FileId expected) override
    {
        return ObservedServices::OpenForWriting(folder, name, Real(expected));
    }
    bool Remove(int folder, std::string_view name, FileId expected) override
    {
        return ObservedServices::Remove(folder, name, Real(expected));
    }

private:
    FileId Seen(FileId id, bool lie) const
    {
        return {ownDevice ? id.dev + OwnDevice : id.dev, lie ? id.ino + 1 : id.ino};
    }
    FileId Real(FileId id) const { return {ownDevice ? id.dev - OwnDevice : id.dev, id.ino}; }
};

class MountIdentity : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Shredder.UseServices(mounts);
    }
    MadeUpMounts mounts;
};

} // namespace

TEST_F(MountIdentity, AFileIsOnItsFoldersMountByMountIdAndByDeviceOnlyWhereThatIsUnknown)
{
    struct Case {
        const char* what;
        bool ownDevice;
        std::uint64_t folderMount;
        std::uint64_t fileMount;
        bool listingLies;
        bool wiped;
        Remains why; // when not wiped
    };
    const Case cases[] = {
        {"its own device on the folder's mount (overlay)", true, 7, 7, false, true, {}},
        {"the folder's device on the folder's mount", false, 7, 7, false, true, {}},
        {"the folder's device on another mount (a bind mount over it)", false, 7, 8, false, false,
         Remains::OtherFileSystem},
        {"its own device on another mount", true, 7, 8, false, false, Remains::OtherFileSystem},
        {"its own device, no mount told", true, 0, 0, false, false, Remains::OtherFileSystem},
        {"its own device, the folder's mount not told", true, 0, 7, false, false, Remains::OtherFileSystem},
        {"the folder's device, the file's mount not told", false, 7, 0, false, true, {}},
        {"the folder's device, no mount told", false, 0, 0, false, true, {}},
        {"listed with another identity than a look gives", false, 7, 7, true, false, Remains::Changed},
    };
    int n = 0;
    for (const Case& c : cases) {
        mounts.ownDevice = c.ownDevice;
        mounts.folderMount = c.folderMount;
        mounts.fileMount = c.fileMount;
        mounts.listingLies = c.listingLies;
        mounts.opened.clear();
        view = RecordingView();
        const std::string folder = tree / std::to_string(++n);
        MakeFolder(folder);
        WriteFile(folder + "/file", "content");
        ListFolder(folder);
        Shredder.Run(MethodBalanced);
        EXPECT_NE(Exists(folder + "/file"), c.wiped) << c.what;
        if (c.wiped) {
            EXPECT_TRUE(view.reports.empty()) << c.what;
            continue;
        }
        EXPECT_EQ(ReadFile(folder + "/file"), "content") << c.what;
        EXPECT_TRUE(mounts.opened.empty()) << c.what;
        ASSERT_EQ(view.reports.size(), 1u) << c.what;
        ASSERT_EQ(view.reports[0].items.size(), 1u) << c.what;
        EXPECT_EQ(view.reports[0].items[0].path, folder + "/file") << c.what;
        EXPECT_EQ(view.reports[0].items[0].why, c.why) << c.what;
    }
}
