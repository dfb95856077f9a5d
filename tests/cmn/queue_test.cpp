#include "cmn/libtest.h"
#include "cmn/queue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Item {
    QLink link;
    uint32_t key;
    char tag;
};

QKey item_key(const void* element, uintptr_t) { return static_cast<const Item*>(element)->key; }

std::string order(LibQueue* q)
{
    std::string tags;
    for (QLink* at = q->head; at; at = at->next) tags += reinterpret_cast<Item*>(at)->tag;
    return tags;
}

class Queue : public ::testing::Test {
protected:
    void SetUp() override { qinit(&q, item_key, 0); }
    void TearDown() override
    {
        if (q.lock) qfree(&q);
    }
    void insert_all()
    {
        for (Item& item : items) qinsert(&q, &item);
    }
    LibQueue q{};
    Item items[5] = {{{}, 5, 'a'}, {{}, 3, 'b'}, {{}, 5, 'c'}, {{}, 9, 'd'}, {{}, 1, 'e'}};
};

TEST_F(Queue, SortedInsertPutsTheNewestOfEqualKeysFirst)
{
    qinsert(&q, &items[0]);
    qinsert(&q, &items[1]);
    qinsert(&q, &items[2]);
    EXPECT_EQ(order(&q), "bca");
    EXPECT_EQ(qlength(&q), 3);
    EXPECT_EQ(qlowpriority(&q), 3u);
    EXPECT_EQ(q.tail, &items[0].link);
}

TEST_F(Queue, PushBottomAndPopsEndToEnd)
{
    insert_all(); // e b c a d
    Item big{{}, 100, 'z'}, last{{}, 0, 'y'};
    qpush(&q, &big);
    qbottom(&q, &last);
    EXPECT_EQ(order(&q), "zebcady");
    EXPECT_EQ(qpop(&q), &big);
    EXPECT_EQ(big.link.next, nullptr);
    EXPECT_EQ(qpoplast(&q), &last);
    EXPECT_EQ(q.tail, &items[3].link);
    EXPECT_EQ(order(&q), "ebcad");
}

TEST_F(Queue, EmptyPopsReturnNothingButMarkAChange)
{
    q.flags.store(Q_OWNLOCK);
    EXPECT_EQ(qpop(&q), nullptr);
    EXPECT_NE(q.flags.load() & Q_CHANGED, 0u);
    q.flags.store(Q_OWNLOCK);
    EXPECT_EQ(qpoplast(&q), nullptr);
    EXPECT_NE(q.flags.load() & Q_CHANGED, 0u);
    EXPECT_EQ(qlowpriority(&q), QKEY_NONE);
    EXPECT_EQ(qhighpriority(&q), QKEY_NONE);
}

int is_tag(const void* element, uintptr_t tag) { return static_cast<const Item*>(element)->tag == static_cast<char>(tag); }

TEST_F(Queue, LookupsAndFetches)
{
    insert_all(); // e(1) b(3) c(5) a(5) d(9)
    Item stranger{{}, 4, 's'};
    EXPECT_EQ(qposition(&q, &items[2]), 2);
    EXPECT_EQ(qposition(&q, &items[0]), 3);
    EXPECT_EQ(qposition(&q, &stranger), -1);
    EXPECT_EQ(qfindindex(&q, 4), &items[3]);
    EXPECT_EQ(qfindindex(&q, 5), nullptr);
    EXPECT_EQ(qfindpriority(&q, 5), &items[2]);
    EXPECT_EQ(qfindpriority(&q, 4), nullptr);
    EXPECT_EQ(qfind(&q, is_tag, 'a'), &items[0]);
    EXPECT_EQ(qfind(&q, nullptr, 'a'), nullptr);

    EXPECT_EQ(qfetchnext(&q, &items[4], 1), &items[2]); // two after e
    EXPECT_EQ(qfetchpriority(&q, 9), &items[3]);
    EXPECT_EQ(qfetch(&q, is_tag, 'e'), &items[4]);
    EXPECT_EQ(qfetchindex(&q, 1), &items[0]);
    EXPECT_EQ(order(&q), "b");
    EXPECT_EQ(q.tail, &items[1].link);
    EXPECT_EQ(qremove(&q, &items[1]), 1);
    EXPECT_EQ(qremove(&q, &items[1]), 0);
    EXPECT_EQ(qremove(&q, nullptr), 0);
    EXPECT_EQ(qlength(&q), 0);
    EXPECT_EQ(q.head, nullptr);
    EXPECT_EQ(q.tail, nullptr);
}

int g_calls_until_stop;
int stop_at_second(void*, uintptr_t) { return --g_calls_until_stop != 0; }
int keep_going(void*, uintptr_t) { return 1; }

TEST_F(Queue, IterateTellsAWholeWalkFromAStoppedOne)
{
    insert_all();
    q.flags.fetch_or(Q_CHANGED);
    EXPECT_EQ(qiterate(&q, keep_going, 0), -1);
    // The changed mark from before the walk is kept.
    EXPECT_NE(q.flags.load() & Q_CHANGED, 0u);
    g_calls_until_stop = 2;
    EXPECT_EQ(qiterate(&q, stop_at_second, 0), 2);
    g_calls_until_stop = 2;
    EXPECT_EQ(qsafeiterate(&q, stop_at_second, 0), 2);
}

LibQueue* g_walked;
Item g_intruder{{}, 0, 'i'};

// Another thread changes the queue in the middle of the walk; qiterate does
// not hold the lock while it calls, so the other thread gets through.
int push_from_another_thread(void*, uintptr_t)
{
    std::thread([] { qpush(g_walked, &g_intruder); }).join();
    return 1;
}

int remove_self(void* element, uintptr_t) { return qremove(g_walked, element); }

TEST_F(Queue, IterateCallsOutsideTheLockAndSafeIterateMayRemove)
{
    insert_all();
    g_walked = &q;
    EXPECT_EQ(qiterate(&q, push_from_another_thread, 0), 1);
    EXPECT_EQ(order(&q), "iebcad");

    EXPECT_EQ(qsafeiterate(&q, remove_self, 0), 1);
    EXPECT_EQ(order(&q), "ebcad");
}

TEST_F(Queue, PeerSharesTheLockAndOutlivesItsFree)
{
    LibQueue peer{};
    qinitpeer(&peer, item_key, 0, &q);
    EXPECT_EQ(peer.lock, q.lock);
    qlock(&q);
    qinsert(&q, &items[0]);
    qremove(&q, &items[0]);
    qbottom(&peer, &items[0]);
    qunlock(&q);
    qfree(&peer);
    EXPECT_EQ(peer.lock, nullptr);
    qpush(&q, &items[1]);
    EXPECT_EQ(order(&q), "b");
    std::thread([&] { qpush(&q, &items[2]); }).join();
    EXPECT_EQ(order(&q), "cb");
}

TEST_F(Queue, UninitialisedQueuesAreReported)
{
    AbortCatcher aborts;
    LibQueue none{};
    qpush(&none, &items[0]);
    EXPECT_EQ(qpop(&none), nullptr);
    EXPECT_EQ(qlength(&none), 0);
    ASSERT_EQ(aborts.count(), 3u);
    char expected[64];
    std::snprintf(expected, sizeof expected, "qpush - UNINITIALIZED QUEUE %08x USED.\n",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&none)));
    EXPECT_EQ(aborts.messages()[0], expected);
    EXPECT_TRUE(aborts.saw("qpop - UNINITIALIZED"));
    EXPECT_TRUE(aborts.saw("qlength - UNINITIALIZED"));
}

TEST_F(Queue, AddressIsTheKeyWithoutAKeyFunction)
{
    LibQueue plain{};
    qinit(&plain, nullptr, 0);
    qinsert(&plain, &items[3]);
    qinsert(&plain, &items[1]);
    qinsert(&plain, &items[4]);
    EXPECT_EQ(order(&plain), "bde");
    qfree(&plain);
}

} // namespace
