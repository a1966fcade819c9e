#pragma once

#include <new>

// Doubly linked list used for strings and for the database record lists.
// Nodes are allocated without exceptions: Add returns nullptr when memory
// runs out and the list stays as it was.
template <typename T>
struct KxListNode {
  KxListNode* next;
  KxListNode* prev;
  T value;
};

template <typename T>
class KxList {
public:
  using Node = KxListNode<T>;

  KxList() : head(nullptr), tail(nullptr), count(0) {}

  KxList(const KxList& other) : head(nullptr), tail(nullptr), count(0) {
    CopyFrom(other);
  }

  KxList(KxList&& other) noexcept : head(other.head), tail(other.tail), count(other.count) {
    other.head = nullptr;
    other.tail = nullptr;
    other.count = 0;
  }

  KxList& operator=(const KxList& other) {
    if (this != &other) {
      Clear();
      CopyFrom(other);
    }
    return *this;
  }

  KxList& operator=(KxList&& other) noexcept {
    if (this != &other) {
      Clear();
      head = other.head;
      tail = other.tail;
      count = other.count;
      other.head = nullptr;
      other.tail = nullptr;
      other.count = 0;
    }
    return *this;
  }

  ~KxList() { Clear(); }

  // Appends a copy of value at the tail.
  Node* Add(const T& value) {
    Node* node = new (std::nothrow) Node{nullptr, tail, value};
    if (!node) return nullptr;
    if (tail) {
      tail->next = node;
    } else {
      head = node;
    }
    tail = node;
    ++count;
    return node;
  }

  // Walks from whichever end is nearer; nullptr outside 0..count-1.
  Node* NodeAt(int index) const {
    if (index < 0 || index >= count) return nullptr;
    Node* node;
    if (index <= count / 2) {
      node = head;
      for (int i = 0; i < index; ++i) node = node->next;
    } else {
      node = tail;
      for (int i = count - 1; i > index; --i) node = node->prev;
    }
    return node;
  }

  T* At(int index) {
    Node* node = NodeAt(index);
    return node ? &node->value : nullptr;
  }

  const T* At(int index) const {
    const Node* node = NodeAt(index);
    return node ? &node->value : nullptr;
  }

  // Walks the values from head to tail, for range-for. The node being visited must stay
  // in the list until the walk has moved past it.
  template <typename Value>
  class Walk {
  public:
    explicit Walk(Node* at) : node(at) {}
    Value& operator*() const { return node->value; }
    Value* operator->() const { return &node->value; }
    Walk& operator++() {
      node = node->next;
      return *this;
    }
    bool operator!=(const Walk& other) const { return node != other.node; }
    bool operator==(const Walk& other) const { return node == other.node; }

  private:
    Node* node;
  };
  Walk<T> begin() { return Walk<T>(head); }
  Walk<T> end() { return Walk<T>(nullptr); }
  Walk<const T> begin() const { return Walk<const T>(head); }
  Walk<const T> end() const { return Walk<const T>(nullptr); }

  int Count() const { return count; }
  bool IsEmpty() const { return count == 0; }
  Node* Head() const { return head; }
  Node* Tail() const { return tail; }

  // node must belong to this list; nullptr is ignored.
  void Remove(Node* node) {
    if (!node) return;
    if (node->prev) {
      node->prev->next = node->next;
    } else {
      head = node->next;
    }
    if (node->next) {
      node->next->prev = node->prev;
    } else {
      tail = node->prev;
    }
    delete node;
    --count;
  }

  void Clear() {
    Node* node = head;
    while (node) {
      Node* next = node->next;
      delete node;
      node = next;
    }
    head = nullptr;
    tail = nullptr;
    count = 0;
  }

protected:
  Node* head;
  Node* tail;
  int count;

private:
  // Stops at the first allocation failure, leaving a shorter but valid list.
  void CopyFrom(const KxList& other) {
    for (const Node* node = other.head; node; node = node->next) {
      if (!Add(node->value)) return;
    }
  }
};
