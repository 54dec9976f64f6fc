// AdvancePlayOrder: the three modes, random rounds, the random numbers themselves,
// long lists, and lists in which nothing can be chosen.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "PlaylistFixture.h"
#include "playlist/CRuntimeRandom.h"

namespace hgf::test {
namespace {

class PlayOrderTest : public PlaylistFixture {
  protected:
    // A heading followed by `files` file rows.
    std::deque<PlaylistItem> HeadingAndFiles(int files) {
        std::deque<PlaylistItem> items{Heading("C:\\M")};
        for (int i = 0; i < files; ++i)
            items.push_back(File("C:\\M\\" + std::to_string(i) + ".mp3"));
        return items;
    }
};

TEST(CRuntimeRandom, ReproducesTheRuntimeSequence) {
    CRuntimeRandom one(1);
    EXPECT_EQ(one.Next(), 41);
    EXPECT_EQ(one.Next(), 18467);
    EXPECT_EQ(one.Next(), 6334);
    EXPECT_EQ(one.Next(), 26500);
    CRuntimeRandom wrapped(0xFFFFFFFFu);  // the state wraps modulo 2^32
    EXPECT_EQ(wrapped.Next(), 35);
}

TEST_F(PlayOrderTest, ListOrderWrapsPastTheHeadingAndStartsRandomlyOutsideTheList) {
    Playlist list(Services());
    list.ReplaceItems(HeadingAndFiles(5));
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(4);
    EXPECT_EQ(list.AdvancePlayOrder(), 5);
    EXPECT_EQ(list.AdvancePlayOrder(), 1);
    std::set<int> seen;
    for (int second = 0; second < 40; ++second) {
        clock.seconds = 1700000000 + second;
        EXPECT_EQ(list.SelectIndex(second % 2 ? -1 : 99), second % 2 ? -1 : 99);
        const int chosen = list.AdvancePlayOrder();
        ASSERT_TRUE(chosen >= 1 && chosen <= 5) << chosen;
        seen.insert(chosen);
    }
    EXPECT_GT(seen.size(), 2u);  // random, not always the first file
}

TEST_F(PlayOrderTest, RandomRoundPlaysEveryFileOnceThenStartsAgain) {
    Playlist list(Services());
    std::deque<PlaylistItem> items = HeadingAndFiles(3);
    items.insert(items.begin() + 2, Heading("C:\\M\\Sub"));
    list.ReplaceItems(items);  // H a H b c
    ASSERT_EQ(list.PlayedCount(), 2);
    for (int round = 0; round < 3; ++round) {
        std::set<int> chosen;
        for (int i = 0; i < 3; ++i) {
            int index = list.AdvancePlayOrder();  // same second throughout
            EXPECT_FALSE(list.GetItem(index).isFolder);
            EXPECT_TRUE(list.GetItem(index).played);
            chosen.insert(index);
        }
        EXPECT_EQ(chosen, (std::set<int>{1, 3, 4})) << "round " << round;
        EXPECT_EQ(list.PlayedCount(), 5);
    }
}

TEST_F(PlayOrderTest, SameSecondReseedsIdenticallyYetMovesOn) {
    Playlist first(Services()), second(Services());
    first.ReplaceItems(HeadingAndFiles(9));
    second.ReplaceItems(HeadingAndFiles(9));
    const int chosen = first.AdvancePlayOrder();
    EXPECT_EQ(second.AdvancePlayOrder(), chosen);  // same second, same draws
    EXPECT_NE(first.AdvancePlayOrder(), chosen);   // but that row is played now
}

TEST_F(PlayOrderTest, RepeatKeepsTheRowAndLeavesAHeadingOrUnplayableRowForARandomOne) {
    Playlist list(Services());
    list.ReplaceItems(HeadingAndFiles(4));
    list.SetPlayMode(PLAY_MODE_REPEAT);
    list.SelectIndex(0);  // just after a load without a resume path
    const int chosen = list.AdvancePlayOrder();
    EXPECT_GE(chosen, 1);
    for (int i = 0; i < 5; ++i) {
        clock.seconds += 7;
        EXPECT_EQ(list.AdvancePlayOrder(), chosen);
    }
    list.MarkUnplayable(chosen);
    const int next = list.AdvancePlayOrder();
    EXPECT_NE(next, chosen);
    EXPECT_GE(next, 1);
    EXPECT_EQ(list.AdvancePlayOrder(), next);
    EXPECT_EQ(list.GetPlayMode(), PLAY_MODE_REPEAT);
}

TEST_F(PlayOrderTest, UnplayableRowsAreSkippedAndCountAsPlayedForTheRoundEnd) {
    Playlist list(Services());
    list.ReplaceItems(HeadingAndFiles(4));
    list.MarkUnplayable(2);
    list.MarkUnplayable(4);
    for (int round = 0; round < 4; ++round) {
        std::set<int> chosen{list.AdvancePlayOrder(), list.AdvancePlayOrder()};
        EXPECT_EQ(chosen, (std::set<int>{1, 3}));
    }
    list.SetPlayMode(PLAY_MODE_LIST_ORDER);
    list.SelectIndex(1);
    EXPECT_EQ(list.AdvancePlayOrder(), 3);
    EXPECT_EQ(list.AdvancePlayOrder(), 1);

    // A row marked after it was played this round is not counted twice.
    list.SetPlayMode(PLAY_MODE_RANDOM);
    list.ReplaceItems(HeadingAndFiles(3));
    const int played = list.AdvancePlayOrder();
    list.MarkUnplayable(played);
    std::set<int> rest{list.AdvancePlayOrder(), list.AdvancePlayOrder()};
    EXPECT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest.count(played), 0u);
    EXPECT_EQ(list.PlayedCount(), 4);
}

TEST_F(PlayOrderTest, NoChoosableRowReturnsAtOnceInEveryMode) {
    Playlist list(Services());
    EXPECT_EQ(list.AdvancePlayOrder(), 0);  // empty list

    list.ReplaceItems(HeadingAndFiles(2));
    list.MarkUnplayable(1);
    list.MarkUnplayable(2);
    EXPECT_FALSE(list.HasChoosableRow());
    for (PlayMode mode : {PLAY_MODE_LIST_ORDER, PLAY_MODE_RANDOM, PLAY_MODE_REPEAT, 7}) {
        list.SetPlayMode(mode);
        list.SelectIndex(2);
        EXPECT_EQ(list.AdvancePlayOrder(), 2);
        EXPECT_EQ(list.SelectByPath("C:\\absent.mp3"), 2);
    }
    list.ReplaceItems({Heading("C:\\A"), Heading("C:\\B")});
    EXPECT_FALSE(list.HasChoosableRow());
    EXPECT_EQ(list.AdvancePlayOrder(), 2);
}

TEST_F(PlayOrderTest, EveryRowOfALongListIsReachable) {
    constexpr int kRows = 40000;
    std::deque<PlaylistItem> items;
    for (int i = 0; i < kRows; ++i)
        items.push_back(File(std::to_string(i)));
    Playlist list(Services());
    list.ReplaceItems(items);

    // The first choice of a round, over many seconds, lands above 32767 too.
    int high = 0;
    for (int second = 0; second < 50; ++second) {
        clock.seconds = 1700000000 + second * 13;
        list.ReplaceItems(items);
        if (list.AdvancePlayOrder() >= 32768) ++high;
    }
    EXPECT_GT(high, 3);  // about 18 % of the rows lie there

    // One full round chooses every row exactly once.
    list.ReplaceItems(items);
    std::vector<int> times(kRows, 0);
    for (int i = 0; i < kRows; ++i) {
        if (i % 1000 == 0) clock.seconds += 1;
        ++times[static_cast<std::size_t>(list.AdvancePlayOrder())];
    }
    EXPECT_EQ(std::count(times.begin(), times.end(), 1), kRows);
}

// The play order written out plainly, step by step, with no counters or shortcuts: the
// model's counters and its same-second resumption must give exactly its results.
struct PlainPlayOrder {
    std::vector<PlaylistItem> rows;
    std::int32_t current = 0;
    PlayMode mode = PLAY_MODE_RANDOM;

    bool Choosable(std::uint32_t i) const { return !rows[i].isFolder && !rows[i].unplayable; }

    std::int32_t Advance(std::uint32_t seed) {
        const std::uint32_t n = static_cast<std::uint32_t>(rows.size());
        if (n == 0) return 0;
        bool any = false;
        for (std::uint32_t i = 0; i < n; ++i)
            any = any || Choosable(i);
        if (!any) return current;
        CRuntimeRandom random(seed);
        for (int discard = random.Next() % 10; discard > 0; --discard)
            random.Next();
        for (;;) {
            std::uint32_t done = 0;
            for (const PlaylistItem& row : rows)
                done += row.isFolder || row.played || row.unplayable;
            if (done >= n)
                for (PlaylistItem& row : rows)
                    if (!row.isFolder) row.played = 0;
            const std::uint32_t c = static_cast<std::uint32_t>(current);
            std::uint32_t candidate = c;
            if (mode == PLAY_MODE_LIST_ORDER)
                candidate = c == n - 1 ? 0 : c < n ? c + 1 : random.Next() % n;
            else if (mode == PLAY_MODE_RANDOM)
                candidate = random.Next() % n;
            else if (mode == PLAY_MODE_REPEAT)
                candidate = c < n && Choosable(c) ? c : random.Next() % n;
            current = static_cast<std::int32_t>(candidate);
            if (candidate >= n) return current;
            if (Choosable(candidate) && !(mode == PLAY_MODE_RANDOM && rows[candidate].played))
                break;
            if (mode != PLAY_MODE_LIST_ORDER && mode != PLAY_MODE_RANDOM &&
                mode != PLAY_MODE_REPEAT)
                return current;
        }
        rows[static_cast<std::size_t>(current)].played = 1;
        return current;
    }
};

TEST_F(PlayOrderTest, MatchesThePlainStepByStepOrder) {
    std::mt19937 script(2024);
    for (int trial = 0; trial < 40; ++trial) {
        PlainPlayOrder plain;
        const int rowCount = 1 + static_cast<int>(script() % 40);
        for (int i = 0; i < rowCount; ++i)
            plain.rows.push_back(script() % 6 == 0 ? Heading(std::to_string(i))
                                                   : File(std::to_string(i) + ".mp3"));
        Playlist list(Services());
        list.ReplaceItems({plain.rows.begin(), plain.rows.end()});
        clock.seconds = 1000 + trial;
        for (int step = 0; step < 400; ++step) {
            const unsigned action = script() % 100;
            if (action < 3) {
                const int index = static_cast<int>(script() % (rowCount + 1));
                list.MarkUnplayable(index);
                if (index < rowCount) plain.rows[static_cast<std::size_t>(index)].unplayable = 1;
            } else if (action < 6) {
                plain.mode = static_cast<PlayMode>(script() % 4);
                list.SetPlayMode(plain.mode);
            } else if (action < 8) {
                const int index = static_cast<int>(script() % (rowCount + 2)) - 1;
                plain.current = list.SelectIndex(index);
                if (index >= 0 && index < rowCount)
                    plain.rows[static_cast<std::size_t>(index)].played = 1;
            } else {
                if (action < 20) clock.seconds += 1;  // mostly several choices per second
                ASSERT_EQ(list.AdvancePlayOrder(),
                          plain.Advance(static_cast<std::uint32_t>(clock.seconds)))
                    << "trial " << trial << " step " << step;
            }
        }
        std::deque<PlaylistItem> items = list.Items();
        for (int i = 0; i < rowCount; ++i)
            ASSERT_EQ(items[static_cast<std::size_t>(i)].played,
                      plain.rows[static_cast<std::size_t>(i)].played);
    }
}

}  // namespace
}  // namespace hgf::test
