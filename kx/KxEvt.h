#pragma once
// Event handlers of the toolkit: what a bound handler receives, the handler base, the
// member-function handler, and the map from a message or timer id to its handler.

#include <windows.h>

class KxCard;

// Built from a window message; see KxMakeEvtParam for which messages fill what.
struct KxEvtParam {
  int kind = 2;              // 0 mouse message, 1 keyboard message, 2 any other
  KxCard* sender = nullptr;  // the card that received the message
  POINT pt = {0, 0};         // mouse messages: low and high word of lParam, unsigned
  unsigned char ctrl = 0;    // mouse: MK_CONTROL; keyboard: the extended-key bit
  unsigned char pad1 = 0;
  unsigned char shift = 0;   // mouse: MK_SHIFT
  unsigned char pad2 = 0;
  int key = 0;               // keyboard: wParam
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  int reserved = 0;
};

class KxEvt {
public:
  virtual int Invoke(KxEvtParam& param) { (void)param; return 0; }
  virtual ~KxEvt() = default;
};

// Calls a member function of T; an empty object pointer answers -1 without a call.
template <class T>
class KxEvtMaker : public KxEvt {
public:
  using Handler = int (T::*)(KxEvtParam&);
  KxEvtMaker(T* object, Handler handler) : object(object), handler(handler) {}
  int Invoke(KxEvtParam& param) override {
    if (!object || !handler) return -1;
    return (object->*handler)(param);
  }
  T* object;
  Handler handler;
};

// Singly linked id -> handler map. The map owns its handlers: binding an id again
// replaces and frees the old handler; destruction frees them all.
class KxEvtMap {
public:
  KxEvtMap() = default;
  KxEvtMap(const KxEvtMap&) = delete;
  KxEvtMap& operator=(const KxEvtMap&) = delete;
  ~KxEvtMap() { Clear(); }

  void Bind(unsigned int id, KxEvt* handler) {
    for (Node* n = head; n; n = n->next) {
      if (n->id == id) {
        if (n->handler != handler) delete n->handler;
        n->handler = handler;
        return;
      }
    }
    head = new Node{id, handler, head};
    ++count;
  }
  KxEvt* Find(unsigned int id) const {
    for (Node* n = head; n; n = n->next)
      if (n->id == id) return n->handler;
    return nullptr;
  }
  int Count() const { return count; }
  void Clear() {
    while (head) {
      Node* next = head->next;
      delete head->handler;
      delete head;
      head = next;
    }
    count = 0;
  }

private:
  struct Node {
    unsigned int id;
    KxEvt* handler;
    Node* next;
  };
  Node* head = nullptr;
  int count = 0;
};
