#include "model/label_list.h"

#include "base/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace quillon;

namespace {

struct Seen {
    int32_t position;
    std::string title;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::vector<Seen> walk(CLabelList& list)
{
    std::vector<Seen> out;
    CLabelList::Cursor cursor;
    for (ProjectLabel* l = list.first(cursor); l; l = list.next(cursor))
        out.push_back({l->position, l->title});
    return out;
}

// Whether another thread can take the list lock right now, i.e. nothing this thread
// did left it held.
bool lockIsFree(const CLabelList& list)
{
    return std::async(std::launch::async, [&list] {
               if (!list.tryLock())
                   return false;
               list.unlock();
               return true;
           })
        .get();
}

std::vector<uint8_t> store(CLabelList& list)
{
    MemoryStream m;
    CArchive ar(m, CArchive::Mode::Store);
    list.serialize(ar);
    return m.bytes();
}

void load(CLabelList& list, const std::vector<uint8_t>& bytes)
{
    MemoryStream m(bytes);
    CArchive ar(m, CArchive::Mode::Load);
    list.serialize(ar);
}

} // namespace

TEST(LabelListOrder, EqualPositionsKeepTheOrderOfAdding)
{
    CLabelList list;
    list.add(100, ProjectLabel::kTrackSplit, "a");
    list.add(50, ProjectLabel::kIndex, "b");
    list.add(100, ProjectLabel::kFreeLabel, "c");
    list.insert(std::make_unique<ProjectLabel>(ProjectLabel::kIndex, 100, "d"));
    list.add(0, ProjectLabel::kTrackSplit, "e");
    list.add(101, ProjectLabel::kTrackSplit, "f");
    EXPECT_EQ(walk(list), (std::vector<Seen>{{0, "e"}, {50, "b"}, {100, "a"}, {100, "c"}, {100, "d"}, {101, "f"}}));
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.lastPosition(), 101);
    EXPECT_EQ(list.insert(nullptr), nullptr);
}

TEST(LabelListEdit, RemoveHandsTheLabelBack)
{
    CLabelList list;
    ProjectLabel* a = list.add(10, ProjectLabel::kIndex, "a");
    list.add(20, ProjectLabel::kIndex, "b");
    ProjectLabel stranger;
    EXPECT_EQ(list.remove(&stranger), nullptr);
    EXPECT_EQ(list.remove(nullptr), nullptr);
    std::unique_ptr<ProjectLabel> owned = list.remove(a);
    ASSERT_EQ(owned.get(), a);
    EXPECT_EQ(owned->title, "a");
    EXPECT_EQ(list.remove(a), nullptr);
    EXPECT_EQ(walk(list), (std::vector<Seen>{{20, "b"}}));

    list.removeAll();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.lastPosition(), 0);
    CLabelList::Cursor cursor;
    EXPECT_EQ(list.first(cursor), nullptr);
    EXPECT_EQ(list.next(cursor), nullptr);
}

TEST(LabelListEdit, RepositionPutsTheLabelBackInOrder)
{
    CLabelList list;
    ProjectLabel* a = list.add(10, ProjectLabel::kIndex, "a");
    list.add(20, ProjectLabel::kIndex, "b");
    list.add(30, ProjectLabel::kIndex, "c");
    ASSERT_TRUE(list.reposition(a, 30));
    EXPECT_EQ(walk(list), (std::vector<Seen>{{20, "b"}, {30, "c"}, {30, "a"}}));
    ASSERT_TRUE(list.reposition(a, 0));
    EXPECT_EQ(walk(list), (std::vector<Seen>{{0, "a"}, {20, "b"}, {30, "c"}}));
    ProjectLabel stranger;
    EXPECT_FALSE(list.reposition(&stranger, 5));
    EXPECT_EQ(stranger.position, 0);
}

TEST(LabelListWalk, NextAfterTheEndAndForeignCursors)
{
    CLabelList list;
    CLabelList other;
    list.add(1, ProjectLabel::kIndex);
    other.add(1, ProjectLabel::kIndex);
    other.add(2, ProjectLabel::kIndex);
    CLabelList::Cursor cursor;
    ASSERT_NE(list.first(cursor), nullptr);
    EXPECT_EQ(list.next(cursor), nullptr);
    EXPECT_EQ(list.next(cursor), nullptr);
    // A cursor of one list does not walk another.
    ASSERT_NE(other.first(cursor), nullptr);
    EXPECT_EQ(list.next(cursor), nullptr);
    CLabelList::Cursor fresh;
    EXPECT_EQ(list.next(fresh), nullptr);
}

// The cursor's label removed while others share its position: those before it are not
// visited again, those after it are not skipped.
TEST(LabelListWalk, RemovedLabelAmongLabelsAtTheSamePosition)
{
    CLabelList list;
    ProjectLabel* before = list.add(10, ProjectLabel::kIndex, "before");
    ProjectLabel* walked = list.add(10, ProjectLabel::kIndex, "walked");
    list.add(10, ProjectLabel::kIndex, "after");
    list.add(20, ProjectLabel::kIndex, "later");
    CLabelList::Cursor cursor;
    ASSERT_EQ(list.first(cursor), before);
    ASSERT_EQ(list.next(cursor), walked);
    list.remove(walked);
    // A copy placed at the same position now comes after every label there.
    list.insert(std::make_unique<ProjectLabel>(*before));
    std::vector<std::string> rest;
    for (ProjectLabel* l = list.next(cursor); l; l = list.next(cursor))
        rest.push_back(l->title);
    EXPECT_EQ(rest, (std::vector<std::string>{"after", "before", "later"}));
}

TEST(LabelListWalk, RemovalsDuringAWalkNeitherCrashNorLoseTheRest)
{
    CLabelList list;
    std::vector<ProjectLabel*> l;
    for (int i = 0; i < 6; ++i)
        l.push_back(list.add(i * 10, ProjectLabel::kIndex, std::to_string(i)));

    CLabelList::Cursor cursor;
    ASSERT_EQ(list.first(cursor), l[0]);
    ASSERT_EQ(list.next(cursor), l[1]);
    list.remove(l[1]); // the cursor's own label, destroyed here
    EXPECT_EQ(list.next(cursor), l[2]);
    list.remove(l[4]); // one further on
    EXPECT_EQ(list.next(cursor), l[3]);
    EXPECT_EQ(list.next(cursor), l[5]);
    EXPECT_EQ(list.next(cursor), nullptr);

    // Labels inserted behind the cursor are not visited; those ahead of it are, and
    // one at the cursor's own position goes after it.
    ASSERT_EQ(list.first(cursor), l[0]);
    list.add(-5, ProjectLabel::kIndex, "behind");
    list.add(0, ProjectLabel::kIndex, "equal");
    list.add(15, ProjectLabel::kIndex, "ahead");
    std::vector<std::string> rest;
    for (ProjectLabel* p = list.next(cursor); p; p = list.next(cursor))
        rest.push_back(p->title);
    EXPECT_EQ(rest, (std::vector<std::string>{"equal", "ahead", "2", "3", "5"}));

    // Emptying the list under a walk ends it.
    ASSERT_NE(list.first(cursor), nullptr);
    list.removeAll();
    EXPECT_EQ(list.next(cursor), nullptr);
}

TEST(LabelListCopy, CopyFromAppendsInOrderWithEveryField)
{
    CLabelList source;
    source.add(100, ProjectLabel::kTrackSplit, "s", "a", 4410);
    source.add(50, ProjectLabel::kIndex, "i");
    CLabelList target;
    target.add(100, ProjectLabel::kFreeLabel, "existing");
    target.copyFrom(source);
    EXPECT_EQ(walk(target), (std::vector<Seen>{{50, "i"}, {100, "existing"}, {100, "s"}}));
    CLabelList::Cursor c;
    target.first(c);
    target.next(c);
    ProjectLabel* split = target.next(c);
    EXPECT_EQ(split->artist, "a");
    EXPECT_EQ(split->pause, 4410);
    EXPECT_EQ(split->kind, ProjectLabel::kTrackSplit);
    EXPECT_EQ(source.count(), 2); // the source is untouched

    target.copyFrom(target);
    EXPECT_EQ(target.count(), 6);
}

TEST(LabelListCopy, CopyKindTakesOneKindWithoutPause)
{
    CLabelList source;
    source.add(0, ProjectLabel::kTrackSplit, "one", "x", 88200);
    source.add(10, ProjectLabel::kIndex, "idx");
    source.add(20, ProjectLabel::kTrackSplit, "two", "y", 44100);
    source.add(30, ProjectLabel::kFreeLabel, "free");
    CLabelList target;
    source.copyKind(target, ProjectLabel::kTrackSplit);
    EXPECT_EQ(walk(target), (std::vector<Seen>{{0, "one"}, {20, "two"}}));
    CLabelList::Cursor c;
    for (ProjectLabel* l = target.first(c); l; l = target.next(c)) {
        EXPECT_EQ(l->pause, 0);
        EXPECT_EQ(l->kind, ProjectLabel::kTrackSplit);
    }
    EXPECT_EQ(target.lastPosition(), 20);
    CLabelList::Cursor s;
    EXPECT_EQ(source.first(s)->pause, 88200);
}

TEST(LabelListSerialize, BytesAndThePauseThatIsNotStored)
{
    CLabelList list;
    list.add(0, ProjectLabel::kTrackSplit, "Intro", "Ann", 88200);
    list.add(44100, ProjectLabel::kFreeLabel, "x");
    const std::vector<uint8_t> expected = {
        0x02, 0x00, 0x00, 0x00,                         // count
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // split at 0
        0x03, 'A', 'n', 'n', 0x05, 'I', 'n', 't', 'r', 'o',
        0x02, 0x00, 0x00, 0x00, 0x44, 0xAC, 0x00, 0x00, // free label at 44100
        0x00, 0x01, 'x',
    };
    EXPECT_EQ(store(list), expected);

    CLabelList back;
    back.add(7, ProjectLabel::kIndex, "replaced");
    load(back, expected);
    ASSERT_EQ(back.count(), 2);
    CLabelList::Cursor c;
    ProjectLabel* split = back.first(c);
    EXPECT_EQ(split->kind, ProjectLabel::kTrackSplit);
    EXPECT_EQ(split->title, "Intro");
    EXPECT_EQ(split->artist, "Ann");
    EXPECT_EQ(split->pause, 0);
    ProjectLabel* free = back.next(c);
    EXPECT_EQ(free->kind, ProjectLabel::kFreeLabel);
    EXPECT_EQ(free->position, 44100);
    EXPECT_EQ(free->title, "x");
    EXPECT_EQ(back.next(c), nullptr);
}

TEST(LabelListSerialize, EqualPositionsKeepFileOrderAndUnsortedRecordsLandSorted)
{
    CLabelList list;
    list.add(5, ProjectLabel::kIndex, "first");
    list.add(5, ProjectLabel::kIndex, "second");
    list.add(9, ProjectLabel::kIndex, "late");
    std::vector<uint8_t> bytes = store(list);
    CLabelList back;
    load(back, bytes);
    EXPECT_EQ(walk(back), walk(list));

    // Swap the records' positions by hand: 9 first, then 5s.
    MemoryStream m;
    {
        CArchive ar(m, CArchive::Mode::Store);
        ar.writeU32(2);
        for (int32_t pos : {9, 5}) {
            ar.writeI32(ProjectLabel::kIndex);
            ar.writeI32(pos);
            ar.writeString("");
            ar.writeString(std::to_string(pos));
        }
    }
    load(back, m.bytes());
    EXPECT_EQ(walk(back), (std::vector<Seen>{{5, "5"}, {9, "9"}}));
}

TEST(LabelListLock, ReleasedOnEveryPath)
{
    CLabelList list;
    CLabelList other;
    ProjectLabel stranger;
    ProjectLabel* a = list.add(1, ProjectLabel::kIndex);
    EXPECT_TRUE(lockIsFree(list));
    list.insert(std::make_unique<ProjectLabel>());
    list.insert(nullptr);
    EXPECT_TRUE(lockIsFree(list));
    list.remove(&stranger);
    EXPECT_TRUE(lockIsFree(list));
    list.reposition(&stranger, 3);
    list.reposition(a, 3);
    EXPECT_TRUE(lockIsFree(list));
    CLabelList::Cursor c;
    list.first(c);
    list.next(c);
    list.next(c);
    list.next(c);
    EXPECT_TRUE(lockIsFree(list));
    other.copyFrom(list);
    list.copyKind(other, ProjectLabel::kIndex);
    EXPECT_TRUE(lockIsFree(list));
    EXPECT_TRUE(lockIsFree(other));
    const std::vector<uint8_t> bytes = store(list);
    EXPECT_TRUE(lockIsFree(list));
    list.removeAll();
    EXPECT_EQ(list.lastPosition(), 0);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(lockIsFree(list));

    // A load that fails half-way must not leave the lock held.
    EXPECT_THROW(load(list, std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)), ArchiveException);
    EXPECT_TRUE(lockIsFree(list));

    // Recursive for its owner: operations work while the walker holds the lock.
    list.lock();
    list.add(2, ProjectLabel::kIndex);
    EXPECT_EQ(list.count(), 1 + 1); // one label survived the broken load
    EXPECT_FALSE(lockIsFree(list));
    list.unlock();
    EXPECT_TRUE(lockIsFree(list));
}

TEST(LabelListLock, HeldLockKeepsOtherThreadsOut)
{
    CLabelList list;
    std::atomic<bool> added{false};
    std::atomic<bool> started{false};
    list.lock();
    // Another thread cannot take the lock that every operation takes.
    EXPECT_FALSE(lockIsFree(list));
    std::thread writer([&] {
        started = true;
        list.add(5, ProjectLabel::kIndex);
        added = true;
    });
    while (!started.load())
        std::this_thread::yield();
    EXPECT_FALSE(lockIsFree(list));
    EXPECT_FALSE(added.load());
    EXPECT_EQ(list.count(), 0);
    list.unlock();
    writer.join();
    EXPECT_TRUE(added.load());
    EXPECT_EQ(list.count(), 1);
}

TEST(LabelListConcurrency, WalkWhileAnotherThreadInserts)
{
    CLabelList list;
    for (int i = 0; i < 20; ++i)
        list.add(i * 1000, ProjectLabel::kTrackSplit);
    constexpr int kInserts = 2000;
    std::atomic<bool> done{false};
    std::atomic<int> walks{0};

    std::thread writer([&] {
        std::mt19937 rng(5);
        std::uniform_int_distribution<int32_t> pos(0, 30000);
        for (int i = 0; i < kInserts; ++i)
            list.add(pos(rng), i % 3, "w" + std::to_string(i));
        done = true;
    });

    bool ordered = true;
    // Keep walking until the writer is done, and at least a few times after that.
    while (!done.load() || walks.load() < 3) {
        CLabelList::Cursor cursor;
        int32_t last = std::numeric_limits<int32_t>::min();
        for (ProjectLabel* l = list.first(cursor); l; l = list.next(cursor)) {
            ordered = ordered && l->position >= last;
            last = l->position;
        }
        ++walks;
    }
    writer.join();

    EXPECT_TRUE(ordered);
    ASSERT_EQ(list.count(), 20 + kInserts);
    std::vector<Seen> all = walk(list);
    ASSERT_EQ(all.size(), static_cast<size_t>(20 + kInserts));
    std::vector<bool> found(kInserts, false);
    for (size_t i = 0; i < all.size(); ++i) {
        if (i > 0) {
            EXPECT_LE(all[i - 1].position, all[i].position);
        }
        if (!all[i].title.empty())
            found[static_cast<size_t>(std::stoi(all[i].title.substr(1)))] = true;
    }
    for (int i = 0; i < kInserts; ++i)
        EXPECT_TRUE(found[static_cast<size_t>(i)]) << "label w" << i << " lost";
}

TEST(LabelListConcurrency, WalkWhileAnotherThreadRemoves)
{
    CLabelList list;
    std::vector<ProjectLabel*> labels;
    for (int i = 0; i < 3000; ++i)
        labels.push_back(list.add(i, ProjectLabel::kIndex));
    std::atomic<bool> done{false};
    std::vector<std::unique_ptr<ProjectLabel>> removed; // kept until the walker has stopped

    std::thread writer([&] {
        std::mt19937 rng(9);
        std::shuffle(labels.begin(), labels.end(), rng);
        for (ProjectLabel* l : labels) {
            removed.push_back(list.remove(l));
            if (removed.size() % 100 == 0)
                list.add(static_cast<int32_t>(removed.size()), ProjectLabel::kFreeLabel);
        }
        done = true;
    });
    int steps = 0;
    while (!done.load()) {
        CLabelList::Cursor cursor;
        for (ProjectLabel* l = list.first(cursor); l; l = list.next(cursor))
            ++steps;
    }
    writer.join();
    for (const auto& r : removed)
        EXPECT_NE(r, nullptr);
    EXPECT_EQ(list.count(), 30);
    EXPECT_GT(steps, 0);
}

TEST(LabelDialog, PositionFieldsAndBack)
{
    LabelPositionFields f = labelPositionFields(3'700'000, 44100);
    EXPECT_EQ(f.minutes, 1);
    EXPECT_EQ(f.seconds, 23);
    EXPECT_EQ(f.milliseconds, 900);
    const int32_t back = labelPositionFromFields(f, 44100);
    EXPECT_EQ(back, 3'699'990); // whole milliseconds only
    f = labelPositionFields(back, 44100);
    EXPECT_EQ(f.minutes, 1);
    EXPECT_EQ(f.seconds, 23);
    EXPECT_EQ(f.milliseconds, 900);

    // The largest position: every product leaves 32 bits.
    f = labelPositionFields(std::numeric_limits<int32_t>::max(), 44100);
    EXPECT_EQ(f.minutes, 811); // not wrapped at 60: confirming must not move it back
    EXPECT_EQ(labelPositionFromFields(f, 44100), std::numeric_limits<int32_t>::max() - 14);
    EXPECT_EQ(f.seconds, 35);
    EXPECT_EQ(f.milliseconds, 774);
    EXPECT_EQ(labelPositionFromFields({100, 59, 999}, 192000), 1'163'519'808);

    f = labelPositionFields(500, 0);
    EXPECT_EQ(f.minutes + f.seconds + f.milliseconds, 0);
    EXPECT_EQ(labelPositionFromFields({1, 0, 0}, 0), 0);
}

TEST(LabelDialog, PauseFieldsAndBack)
{
    LabelPauseFields p = labelPauseFields(88200, 44100);
    EXPECT_EQ(p.seconds, 2);
    EXPECT_EQ(p.milliseconds, 0);
    p = labelPauseFields(66150, 44100);
    EXPECT_EQ(p.seconds, 1);
    EXPECT_EQ(p.milliseconds, 500);
    EXPECT_EQ(labelPauseFromFields(p, 44100), 66150);

    p = labelPauseFields(30'911'808, 192000);
    EXPECT_EQ(p.seconds, 160);
    EXPECT_EQ(p.milliseconds, 999);
    EXPECT_EQ(labelPauseFromFields({160, 999}, 192000), 30'911'808);
    EXPECT_EQ(labelPauseFromFields({3, 7}, 0), 0);
}
