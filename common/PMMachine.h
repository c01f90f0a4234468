#pragma once

#include "common/UVector.h"

class PMValue;

// A nondeterministic state machine: nodes joined by links, each link either free (taken
// without reading a character) or labelled with a value that accepts certain characters.
// The machine owns its nodes, each node owns its links, and a link owns its value unless
// told otherwise (labels shared by many links belong to whoever made them).
class PMMachine {
public:
    struct Node {
        struct Link {
            Link() = default;
            ~Link();
            Link(const Link&) = delete;
            Link& operator=(const Link&) = delete;

            Node* target = nullptr;
            PMValue* value = nullptr;
            bool ownsValue = true;
        };

        Node() = default;
        ~Node();
        Node(const Node&) = delete;
        Node& operator=(const Node&) = delete;

        // A new link with no target and no value, or null when memory ran out.
        Link* addLink();

        int index = 0;
        UVector<Link*> links;
    };

    PMMachine() = default;
    virtual ~PMMachine();
    PMMachine(const PMMachine&) = delete;
    PMMachine& operator=(const PMMachine&) = delete;

    // A new node without links at the end of the node vector, or null when memory ran out.
    Node* addNode();
    void clear();

    UVector<Node*> nodes;
};
