#include "common/PMMachineWildcard.h"

#include "common/PMValueASCIICharSet.h"
#include "common/PMValueChar.h"
#include "common/UMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
const char* const kNodeListMemory = "PMMachineWildcard::NodeList::NodeList(int n): nodes==NULL: memory error";
}

PMMachineWildcard::NodeList::NodeList(int n)
{
    if (!allocate(n))
        ULog::write(kNodeListMemory, ULog::Error);
}

PMMachineWildcard::NodeList::~NodeList() { release(); }

bool PMMachineWildcard::NodeList::allocate(int n)
{
    release();
    const size_t slots = n > 0 ? static_cast<size_t>(n) : 1;
    nodes = static_cast<int*>(std::malloc(slots * sizeof(int)));
    present = static_cast<unsigned char*>(std::calloc(slots, 1));
    if (nodes == nullptr || present == nullptr) {
        release();
        return false;
    }
    room = n;
    return true;
}

void PMMachineWildcard::NodeList::release()
{
    std::free(nodes);
    std::free(present);
    nodes = nullptr;
    present = nullptr;
    count = 0;
    room = 0;
}

void PMMachineWildcard::NodeList::empty()
{
    for (int i = 0; i < count; ++i)
        present[nodes[i]] = 0;
    count = 0;
}

void PMMachineWildcard::NodeList::add(int index)
{
    // A present index is never added twice, so count stays within room.
    if (present[index] != 0 || count >= room)
        return;
    present[index] = 1;
    nodes[count++] = index;
}

PMMachineWildcard::PMMachineWildcard()
{
    asciiSet = new (std::nothrow) PMValueASCIICharSet;
    if (asciiSet == nullptr)
        UMemory::exhausted("PMMachineWildcard::PMMachineWildcard(): asciiSet==NULL: memory error");
}

PMMachineWildcard::~PMMachineWildcard()
{
    delete asciiSet;
    asciiSet = nullptr;
    std::free(pattern);
    lists[0].release();
    lists[1].release();
    std::free(mStack);
    clear();
}

void PMMachineWildcard::setPattern(const char* text)
{
    std::free(pattern);
    pattern = nullptr;
    if (text == nullptr)
        return;
    const size_t n = std::strlen(text) + 1;
    pattern = static_cast<char*>(std::malloc(n));
    // A copy that cannot be made leaves no pattern, which build reports.
    if (pattern != nullptr)
        std::memcpy(pattern, text, n);
}

bool PMMachineWildcard::fail(const char* msg)
{
    ULog::write(msg, ULog::Error);
    clear();
    return false;
}

bool PMMachineWildcard::addLink(Node* from, Node* to, PMValue* value, bool ownsValue)
{
    Node::Link* link = from->addLink();
    if (link == nullptr) {
        if (ownsValue)
            delete value;
        return false;
    }
    link->target = to;
    link->value = value;
    link->ownsValue = ownsValue;
    return true;
}

bool PMMachineWildcard::build()
{
    const char* const linkFailed = "PMMachineWildcard::build: link==NULL: could not add the link";
    if (pattern == nullptr)
        return fail("PMMachineWildcard::build: pattern==NULL: a pattern wasn't specified");
    Node* cur = addNode();
    if (cur == nullptr)
        return fail("PMMachineWildcard::build: node==NULL: could not add the node");

    for (const char* p = pattern; *p != '\0'; ++p) {
        const char ch = *p;
        if (ch == '?') {
            Node* q = addNode();
            if (q == nullptr)
                return fail("PMMachineWildcard::build: pattern[i]=='?': node==NULL: could not add the node");
            if (!addLink(cur, q, asciiSet, false))
                return fail(linkFailed);
            cur = q;
        } else if (ch == '*') {
            Node* node1 = addNode();
            if (node1 == nullptr)
                return fail("PMMachineWildcard::build: pattern[i]=='*': node1==NULL: could not add the node");
            Node* node2 = addNode();
            if (node2 == nullptr)
                return fail("PMMachineWildcard::build: pattern[i]=='*': node2==NULL: could not add the node");
            Node* node3 = addNode();
            if (node3 == nullptr)
                return fail("PMMachineWildcard::build: pattern[i]=='*': node3==NULL: could not add the node");
            if (!addLink(cur, node1, nullptr, true) || !addLink(cur, node3, nullptr, true) ||
                !addLink(node1, node2, asciiSet, false) || !addLink(node2, node3, nullptr, true) ||
                !addLink(node2, node1, nullptr, true))
                return fail(linkFailed);
            cur = node3;
        } else {
            if (!asciiSet->match(static_cast<unsigned char>(ch))) {
                ULog::write("PMMachineWildcard::build: ilegal character in pattern", ULog::Warning);
                continue;
            }
            Node* x = addNode();
            if (x == nullptr)
                return fail("PMMachineWildcard::build: node==NULL: could not add the node");
            PMValueChar* value = new (std::nothrow) PMValueChar(ch, caseSensitive);
            if (value == nullptr || !addLink(cur, x, value, true))
                return fail(linkFailed);
            cur = x;
        }
    }
    start = 0;
    final = nodes.size() - 1;
    return true;
}

void PMMachineWildcard::closure(int index, NodeList& list)
{
    // Depth first, without recursion: a long run of stars chains many free links, and the
    // walk must not depend on the depth of the call stack. Every node enters the list once
    // and pushes each of its free links once, so the stack never outgrows the link count.
    if (list.contains(index))
        return;
    int top = 0;
    mStack[top++] = index;
    while (top > 0) {
        const int i = mStack[--top];
        if (list.contains(i))
            continue;
        list.add(i);
        const Node* node = nodes[i];
        // Pushed in reverse, so the first free link is followed first.
        for (int k = node->links.size() - 1; k >= 0; --k) {
            const Node::Link* link = node->links[k];
            if (link->value == nullptr && !list.contains(link->target->index) && top < mStackRoom)
                mStack[top++] = link->target->index;
        }
    }
}

bool PMMachineWildcard::match(const char* text)
{
    const int n = nodes.size();
    if (n == 0 || text == nullptr)
        return false;
    int linkCount = 1;
    for (int i = 0; i < n; ++i)
        linkCount += nodes[i]->links.size();

    bool ok = true;
    for (NodeList& list : lists) {
        if (!list.allocate(n)) {
            ULog::write(kNodeListMemory, ULog::Error);
            ok = false;
        }
    }
    std::free(mStack);
    mStack = static_cast<int*>(std::malloc(static_cast<size_t>(linkCount) * sizeof(int)));
    mStackRoom = mStack != nullptr ? linkCount : 0;
    if (!ok || mStack == nullptr)
        return false;

    current = &lists[0];
    next = &lists[1];
    closure(start, *current);

    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        next->empty();
        for (int i = 0; i < current->count; ++i) {
            const Node* node = nodes[current->nodes[i]];
            for (int k = 0; k < node->links.size(); ++k) {
                const Node::Link* link = node->links[k];
                if (link->value != nullptr && link->value->match(*p))
                    closure(link->target->index, *next);
            }
        }
        NodeList* t = current;
        current = next;
        next = t;
    }
    return current->contains(final);
}
