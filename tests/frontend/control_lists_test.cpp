#include "frontend/control_lists.h"
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The list walked forwards and backwards must agree with the expected data.
void expect_links(const control_list* l, const std::vector<void*>& want)
{
    ASSERT_EQ(l->count, static_cast<int32_t>(want.size()));
    std::vector<void*> forward, backward;
    for (A_LLIST_NODE* n = l->first; n; n = n->next) forward.push_back(n->data);
    for (A_LLIST_NODE* n = l->last; n; n = n->previous) backward.insert(backward.begin(), n->data);
    EXPECT_EQ(forward, want);
    EXPECT_EQ(backward, want);
    if (want.empty()) {
        EXPECT_TRUE(l->first == nullptr && l->last == nullptr);
    }
}

int g_data[4];

A_LLIST_NODE* append(control_list* l, int i)
{
    A_LLIST_NODE* n = nullptr;
    new_list_node(&n);
    n->data = &g_data[i];
    list_append(l, n);
    return n;
}

struct RemoveCase {
    const char* name;
    int remove; // position in a three-node list
    std::vector<int> left;
};

TEST(ControlLists, RemovingAnyNodeKeepsBothDirectionsLinked)
{
    const RemoveCase cases[] = {
        {"first", 0, {1, 2}},
        {"middle", 1, {0, 2}},
        {"last", 2, {0, 1}},
    };
    for (const RemoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t before = alloc_count;
        control_list* l = nullptr;
        create_list(&l);
        A_LLIST_NODE* nodes[3] = {append(l, 0), append(l, 1), append(l, 2)};
        list_remove(l, nodes[c.remove]);
        std::vector<void*> want;
        for (int i : c.left) want.push_back(&g_data[i]);
        expect_links(l, want);
        EXPECT_EQ(l->last->next, nullptr);
        EXPECT_EQ(l->first->previous, nullptr);
        free_list(&l);
        EXPECT_EQ(l, nullptr);
        EXPECT_EQ(alloc_count, before) << "the removed node and the rest are freed";
    }
}

TEST(ControlLists, FirstAppendIsFirstAndLastAndOnlyNodeRemovalEmptiesIt)
{
    control_list* l = nullptr;
    create_list(&l);
    A_LLIST_NODE* n = append(l, 0);
    EXPECT_EQ(l->first, n);
    EXPECT_EQ(l->last, n);
    expect_links(l, {&g_data[0]});
    list_remove(l, n);
    expect_links(l, {});
    free_list(&l);
}

TEST(ControlLists, ANodeOfAnotherListOrNullIsLeftAlone)
{
    control_list *a = nullptr, *b = nullptr;
    create_list(&a);
    create_list(&b);
    append(a, 0);
    A_LLIST_NODE* foreign = append(b, 1);
    list_remove(a, foreign);
    list_remove(a, nullptr);
    expect_links(a, {&g_data[0]});
    expect_links(b, {&g_data[1]});
    free_list(&a);
    free_list(&b);
    free_list(&a); // a null list is nothing
}

TEST(ControlLists, LookupsByPositionNodeAndData)
{
    control_list* l = nullptr;
    create_list(&l);
    EXPECT_EQ(list_nth(l, 0), nullptr) << "empty";
    A_LLIST_NODE* n0 = append(l, 0);
    A_LLIST_NODE* n1 = append(l, 1);
    A_LLIST_NODE* n2 = append(l, 2);
    EXPECT_EQ(list_nth(l, 2), n2);
    EXPECT_EQ(list_nth(l, 3), nullptr) << "n equal to the count";
    EXPECT_EQ(list_nth(nullptr, 0), nullptr);
    EXPECT_EQ(list_index_of_node(l, n1), 1);
    EXPECT_EQ(list_index_of_node(l, nullptr), -1);
    EXPECT_EQ(list_index_of_data(l, &g_data[2]), 2);
    EXPECT_EQ(list_index_of_data(l, &g_data[3]), -1);
    EXPECT_EQ(list_previous_node(l, n2), n1);
    EXPECT_EQ(list_previous_node(l, n0), n0) << "the first answers itself";
    A_LLIST_NODE stray{};
    EXPECT_EQ(list_previous_node(l, &stray), nullptr);
    EXPECT_EQ(list_previous_node(l, nullptr), nullptr) << "no node is linked, not the last";
    free_list(&l);
}

TEST(ControlLists, ABlockListHandsOutItsNodesAndTakesThemBack)
{
    const int32_t before = alloc_count;
    control_list* l = nullptr;
    new_list_with_nodes(&l, 2);
    A_LLIST_NODE *a = nullptr, *b = nullptr, *c = nullptr;
    take_free_block_node(l, &a);
    take_free_block_node(l, &b);
    take_free_block_node(l, &c);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr) << "capacity 2";
    list_append(l, a);
    list_append(l, b);
    list_remove(l, a);
    EXPECT_EQ(a->in_use, 0u) << "a removed block node stays in the block, free";
    take_free_block_node(l, &c);
    EXPECT_EQ(c, a);
    release_block_node(b);
    A_LLIST_NODE* d = nullptr;
    take_free_block_node(l, &d);
    EXPECT_EQ(d, b);
    // A loose list gives no block nodes.
    control_list* loose = nullptr;
    create_list(&loose);
    take_free_block_node(loose, &d);
    EXPECT_EQ(d, nullptr);
    free_list(&loose);
    free_list(&l);
    EXPECT_EQ(alloc_count, before);
}

TEST(ControlLists, FreeingALooseListLeavesTheCarriedDataAlone)
{
    int* data = static_cast<int*>(alloc_mem(sizeof(int), "test data"));
    *data = 42;
    control_list* l = nullptr;
    create_list(&l);
    A_LLIST_NODE* n = nullptr;
    new_list_node(&n);
    n->data = data;
    list_append(l, n);
    free_list(&l);
    EXPECT_EQ(*data, 42);
    free_mem(data);
}

TEST(ControlLists, CountNullTerminated)
{
    const char* none[] = {nullptr};
    const char* three[] = {"Off", "On", "Random", nullptr};
    EXPECT_EQ(count_null_terminated(reinterpret_cast<const void* const*>(none)), 0);
    EXPECT_EQ(count_null_terminated(reinterpret_cast<const void* const*>(three)), 3);
}

} // namespace
