#include "frontend/control_lists.h"

#include "platform/memory.h"

#include <cstring>

namespace {

template <class T> T* cleared(uint32_t bytes, const char* tag)
{
    void* p = alloc_mem(bytes, tag);
    std::memset(p, 0, bytes);
    return static_cast<T*>(p);
}

bool linked(const control_list* list, const A_LLIST_NODE* node)
{
    for (const A_LLIST_NODE* n = list->first; n; n = n->next)
        if (n == node) return true;
    return false;
}

} // namespace

void create_list(control_list** list)
{
    *list = cleared<control_list>(sizeof(control_list), "new_list");
    (*list)->size = sizeof(control_list);
}

void new_list_with_nodes(control_list** list, int32_t n)
{
    create_list(list);
    const uint32_t count = n > 0 ? static_cast<uint32_t>(n) : 1;
    (*list)->node_block =
        cleared<A_LLIST_NODE>(count * sizeof(A_LLIST_NODE), "(*new_list)->continuous_node_data_ptr");
    (*list)->block = 1;
    (*list)->capacity = n > 0 ? n : 0;
}

void init_list_block(control_list* list, int32_t n)
{
    list->size = sizeof(control_list);
    list->block = 1;
    list->count = 0;
    list->first = list->last = nullptr;
    list->capacity = n;
    if (list->node_block && n > 0) std::memset(list->node_block, 0, static_cast<size_t>(n) * sizeof(A_LLIST_NODE));
}

void new_list_node(A_LLIST_NODE** node)
{
    *node = cleared<A_LLIST_NODE>(sizeof(A_LLIST_NODE), "A_LLIST_NODE");
    (*node)->size = sizeof(A_LLIST_NODE);
}

void take_free_block_node(control_list* list, A_LLIST_NODE** node)
{
    *node = nullptr;
    if (!list || !list->block || !list->node_block) return;
    for (int32_t i = 0; i < list->capacity; ++i) {
        A_LLIST_NODE* n = &list->node_block[i];
        if (n->in_use) continue;
        std::memset(n, 0, sizeof *n);
        n->size = sizeof(A_LLIST_NODE);
        n->in_use = 1;
        *node = n;
        return;
    }
}

void release_block_node(A_LLIST_NODE* node)
{
    if (node) node->in_use = 0;
}

void free_list_node(A_LLIST_NODE** node)
{
    if (!*node) return;
    free_mem(*node);
    *node = nullptr;
}

control_list* list_append(control_list* list, A_LLIST_NODE* node)
{
    node->next = nullptr;
    node->previous = list->last;
    if (list->last)
        list->last->next = node;
    else
        list->first = node;
    list->last = node;
    ++list->count;
    if (list->block) node->in_use = 1;
    return list;
}

void list_remove(control_list* list, A_LLIST_NODE* node)
{
    if (!list || !node || !linked(list, node)) return;
    if (node->previous)
        node->previous->next = node->next;
    else
        list->first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        list->last = node->previous;
    node->next = node->previous = nullptr;
    --list->count;
    if (list->block)
        node->in_use = 0;
    else
        free_mem(node);
}

void free_list(control_list** list)
{
    if (!*list) return;
    control_list* l = *list;
    if (l->block) {
        if (l->node_block) free_mem(l->node_block);
    } else {
        A_LLIST_NODE* n = l->first;
        while (n) {
            A_LLIST_NODE* next = n->next;
            free_mem(n);
            n = next;
        }
    }
    free_mem(l);
    *list = nullptr;
}

A_LLIST_NODE* list_nth(const control_list* list, int32_t n)
{
    if (!list || n < 0) return nullptr;
    A_LLIST_NODE* node = list->first;
    for (; node && n > 0; --n) node = node->next;
    return node;
}

int32_t list_index_of_node(const control_list* list, const A_LLIST_NODE* node)
{
    if (!list) return -1;
    int32_t i = 0;
    for (const A_LLIST_NODE* n = list->first; n; n = n->next, ++i)
        if (n == node) return i;
    return -1;
}

int32_t list_index_of_data(const control_list* list, const void* data)
{
    if (!list) return -1;
    int32_t i = 0;
    for (const A_LLIST_NODE* n = list->first; n; n = n->next, ++i)
        if (n->data == data) return i;
    return -1;
}

A_LLIST_NODE* list_previous_node(const control_list* list, const A_LLIST_NODE* node)
{
    if (!list || !list->first || !node) return nullptr;
    if (list->first == node) return list->first;
    for (A_LLIST_NODE* n = list->first; n; n = n->next)
        if (n->next == node) return n;
    return nullptr;
}

int32_t count_null_terminated(const void* const* array)
{
    int32_t n = 0;
    if (!array) return 0;
    while (array[n]) ++n;
    return n;
}
