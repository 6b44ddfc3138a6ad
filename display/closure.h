#pragma once
// A small family of callable objects. The display uses it for its broadcast: a
// sequence of listeners, each a member function bound to the widget it belongs
// to. None of these classes owns what it calls.

// The result of calls whose result means nothing.
struct null {
};

class closureBase {
public:
    virtual ~closureBase() = default;
};

template <typename R, typename Arg>
class closure : public closureBase {
public:
    virtual R operator()(Arg a) = 0;
};

template <typename R, typename Arg>
class clComposite : public closure<R, Arg> {
public:
    // Removes every occurrence of the member; unknown members are ignored.
    virtual void removeMember(closure<R, Arg>* member) = 0;
};

// Calls its members in the order they were added. A member may be removed at
// any time, also while the sequence is calling (itself or another member): it
// is not called after its removal, and its place is freed once no call of the
// sequence is running. A member added during a call is called by it too. The
// same member may be added more than once and is then called once per
// occurrence.
template <typename Arg>
class clSeq : public clComposite<null, Arg> {
public:
    typedef closure<null, Arg> member;

    clSeq() = default;
    clSeq(const clSeq&) = delete;
    clSeq& operator=(const clSeq&) = delete;
    ~clSeq() override
    {
        while (first)
            unlink(first);
    }

    null operator()(Arg a) override
    {
        ++calling;
        for (node* n = first; n; n = n->next)
            if (n->target)
                (*n->target)(a);
        if (--calling == 0)
            for (node* n = first; n;) {
                node* next = n->next;
                if (!n->target)
                    unlink(n);
                n = next;
            }
        return null();
    }

    void addMember(member* target)
    {
        node* n = new node{target, last, nullptr};
        if (last)
            last->next = n;
        else
            first = n;
        last = n;
    }

    // While a call runs, the nodes stay (the walk may stand on one) and only
    // lose their target.
    void removeMember(member* target) override
    {
        for (node* n = first; n;) {
            node* next = n->next;
            if (n->target == target) {
                if (calling)
                    n->target = nullptr;
                else
                    unlink(n);
            }
            n = next;
        }
    }

    // The number of members (counting repeats); for tests.
    int size() const
    {
        int count = 0;
        for (node* n = first; n; n = n->next)
            count += n->target != nullptr;
        return count;
    }

private:
    struct node {
        member* target;
        node* previous;
        node* next;
    };
    void unlink(node* n)
    {
        (n->previous ? n->previous->next : first) = n->next;
        (n->next ? n->next->previous : last) = n->previous;
        delete n;
    }
    node* first = nullptr;
    node* last = nullptr;
    int calling = 0;
};

// Calls one member function of one object. Embedded in the object it calls.
template <typename Obj, typename R, typename Arg>
class clMethod : public closure<R, Arg> {
public:
    typedef R (Obj::*function)(Arg);

    clMethod(Obj* object_, function method_) : object(object_), method(method_) {}

    R operator()(Arg a) override { return (object->*method)(a); }

private:
    Obj* object;
    function method;
};
