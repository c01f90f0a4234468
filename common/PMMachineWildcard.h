#pragma once

#include "common/PMMachine.h"

class PMValueASCIICharSet;

// Matches whole texts against a wildcard pattern: "*" any run of characters, "?" any one
// character, every other (ASCII) character itself, optionally without regard to case.
// Use: construct, setPattern, optionally clear caseSensitive, build once, match often.
class PMMachineWildcard : public PMMachine {
public:
    // A set of reached nodes. Each node index is kept at most once, so a list never holds
    // more entries than the machine has nodes, however many paths lead to a node.
    struct NodeList {
        NodeList() = default;
        explicit NodeList(int n);
        ~NodeList();
        NodeList(const NodeList&) = delete;
        NodeList& operator=(const NodeList&) = delete;

        // Gives the list room for n indices, dropping its old storage; false when memory ran out.
        bool allocate(int n);
        void release();
        void empty();
        bool contains(int index) const { return present[index] != 0; }
        void add(int index);

        int* nodes = nullptr;
        int count = 0;
        int room = 0;
        // One byte per node of the machine: whether its index is in the list.
        unsigned char* present = nullptr;
    };

    PMMachineWildcard();
    ~PMMachineWildcard() override;

    void setPattern(const char* text);
    bool build();
    bool match(const char* text);

    char* pattern = nullptr;
    PMValueASCIICharSet* asciiSet = nullptr;
    NodeList lists[2];
    NodeList* current = nullptr;
    NodeList* next = nullptr;
    int start = 0;
    int final = 0;
    bool caseSensitive = true;

private:
    bool fail(const char* msg);
    bool addLink(Node* from, Node* to, PMValue* value, bool ownsValue);
    // Adds the node and every node reachable from it over free links to the list.
    void closure(int index, NodeList& list);

    // Working stack of the closure walk: room for every link of the machine once.
    int* mStack = nullptr;
    int mStackRoom = 0;
};
