#include "common/PMMachine.h"

#include "common/PMValue.h"

#include <new>

PMMachine::Node::Link::~Link()
{
    if (ownsValue)
        delete value;
}

PMMachine::Node::~Node()
{
    for (int i = 0; i < links.noEl; ++i)
        delete links.data[i];
    links.noEl = 0;
}

PMMachine::Node::Link* PMMachine::Node::addLink()
{
    Link* link = new (std::nothrow) Link;
    if (link == nullptr)
        return nullptr;
    if (!links.add(link)) {
        delete link;
        return nullptr;
    }
    return link;
}

PMMachine::~PMMachine() { clear(); }

PMMachine::Node* PMMachine::addNode()
{
    Node* node = new (std::nothrow) Node;
    if (node == nullptr)
        return nullptr;
    node->index = nodes.noEl;
    if (!nodes.add(node)) {
        delete node;
        return nullptr;
    }
    return node;
}

void PMMachine::clear()
{
    for (int i = 0; i < nodes.noEl; ++i)
        delete nodes.data[i];
    nodes.noEl = 0;
}
