// The one list of the control toolkit: doubly linked nodes that each carry a
// data pointer. A list's nodes are either allocated one by one or live in
// one block taken up front, so that a recorder can link without allocating.
// The list owns its nodes, never the data they carry.
#pragma once

#include <cstdint>

struct A_LLIST_NODE {
    uint32_t size;
    uint32_t in_use; // block lists: 1 while taken
    void* data;
    A_LLIST_NODE* next;
    A_LLIST_NODE* previous;
};

struct control_list {
    uint32_t size;
    uint32_t block; // 1: the nodes live in node_block
    int32_t count;
    A_LLIST_NODE* first;
    A_LLIST_NODE* last;
    void* owner; // the list or select record whose items these are
    int32_t capacity;
    A_LLIST_NODE* node_block;
};

void create_list(control_list** list);
void new_list_with_nodes(control_list** list, int32_t n);
// Makes an existing header an empty block list over its own node block.
void init_list_block(control_list* list, int32_t n);
void new_list_node(A_LLIST_NODE** node);
// The first free node of a block list, marked taken; null when none.
void take_free_block_node(control_list* list, A_LLIST_NODE** node);
void release_block_node(A_LLIST_NODE* node);
void free_list_node(A_LLIST_NODE** node);
control_list* list_append(control_list* list, A_LLIST_NODE* node);
// A node not linked here is left alone.
void list_remove(control_list* list, A_LLIST_NODE* node);
void free_list(control_list** list);
A_LLIST_NODE* list_nth(const control_list* list, int32_t n);
int32_t list_index_of_node(const control_list* list, const A_LLIST_NODE* node);
int32_t list_index_of_data(const control_list* list, const void* data);
A_LLIST_NODE* list_previous_node(const control_list* list, const A_LLIST_NODE* node);
int32_t count_null_terminated(const void* const* array);
