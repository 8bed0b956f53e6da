// Walks through the exported functions over the stand-in storage while the
// store changes between calls: items, areas, type folders, whole devices
// and the store itself appear and disappear. A walk may hand out names that
// are gone by then; it must never crash, overrun a buffer, or hand out a
// name that does not fit its buffer.
#include "tavorin.h"

#include "kelvast.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ChangingStore : public testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("tavorin-changing-" + std::to_string(getpid()));
        fs::remove_all(m_root);
        for (int a = 0; a < 4; ++a)
            for (int i = 0; i < 50; ++i)
                AddItem(a, 9, i);
        setenv("KELVAST_STORE", m_root.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    fs::path Area(int a) const { return m_root / "C" / ("AREA" + std::to_string(a)); }
    void AddItem(int area, int type, int i) {
        const fs::path folder = Area(area) / std::to_string(type);
        fs::create_directories(folder);
        std::ofstream(folder / ("ITEM" + std::to_string(i))) << std::string(i % 5, 'x');
    }

    // One random change of the store.
    void Change() {
        std::error_code ignored;
        const int a = static_cast<int>(m_random() % 4);
        switch (m_random() % 16) {
        default:
            AddItem(a, 9, static_cast<int>(m_random() % 100));
            break;
        case 8:
        case 9:
        case 10:
        case 11:
            fs::remove(Area(a) / "9" / ("ITEM" + std::to_string(m_random() % 100)), ignored);
            break;
        case 12:
            fs::remove_all(Area(a) / "9", ignored); // the type folder goes
            break;
        case 13:
            fs::remove_all(Area(a), ignored); // the area goes
            break;
        case 14:
            fs::create_directories(m_root / std::to_string(m_random() % 10) / "AREA");
            break;
        case 15:
            if (m_random() % 8 == 0)
                fs::remove_all(m_root, ignored); // the whole store goes
            else
                fs::remove_all(m_root / std::to_string(m_random() % 10), ignored);
            break;
        }
    }

    fs::path m_root;
    std::mt19937 m_random{12345};
};

// A name handed out must be terminated within its buffer.
void ExpectFits(const char* name, size_t size, const char* family) {
    ASSERT_NE(name, nullptr);
    EXPECT_LT(strnlen(name, size), size) << family << " name not terminated in its buffer";
}

TEST_F(ChangingStore, ItemAreaAndDeviceWalksSurviveChangesBetweenCalls) {
    int items = 0, areas = 0, devices = 0;
    for (int round = 0; round < 200; ++round) {
        const std::string area = "AREA" + std::to_string(round % 4);
        for (int i = 0; i < 20; ++i)
            AddItem(round % 4, 9, i * 5);
        for (char* name = ListFirstItem("C:", area.c_str(), 9, "ITEM*"); name;
             name = ListNextItem(), ++items) {
            ExpectFits(name, AT_ITEM_NAME_SIZE, "item");
            Change();
        }
        for (char* name = ListFirstArea("C:"); name; name = ListNextArea(), ++areas) {
            ExpectFits(name, AT_AREA_NAME_SIZE, "area");
            Change();
            CountAreas(name); // a count in the middle rewrites the area walk's pattern
        }
        for (char* name = ListFirstDevice("\\\\.", LF_LOCAL_DRIVES); name;
             name = ListNextDevice(), ++devices) {
            ExpectFits(name, 3, "device");
            Change();
        }
    }
    // The walks must have had something to walk, or the test shows nothing.
    EXPECT_GT(items, 1000);
    EXPECT_GT(areas, 100);
    EXPECT_GT(devices, 10);
}

} // namespace

namespace {

// Area and device texts come from callers; none of them may lead the walk
// to a folder outside the store.
TEST_F(ChangingStore, NamesThatLeadOutsideTheStoreFindNothing) {
    const fs::path outside = m_root.parent_path() / ("tavorin-outside-" + std::to_string(getpid()));
    fs::create_directories(outside / "9");
    std::ofstream(outside / "9" / "SECRET") << "x";
    const std::string up = "../../" + outside.filename().string();
    for (const std::string& area : {up, "AREA0/../" + up, std::string("./AREA0"), outside.string()})
        EXPECT_EQ(ListFirstItem("C:", area.c_str(), 9, "*"), nullptr) << "area " << area;
    EXPECT_NE(ListFirstItem("C:", "area0", 9, "*"), nullptr) << "a plain name ignores case";
    EXPECT_EQ(CountAreas("..:"), 0u);
    std::error_code ignored;
    fs::remove_all(outside, ignored);
}

} // namespace
