#pragma once

#include "Variant.h"

#include <memory>
#include <vector>

// The platform's Collection: an ordered list of Variants counted from 1. A reference to one is a
// CollectionRef, which may be null (no collection), as the lookup component's outputs can be.
class Collection {
public:
    // Appends a value at the end.
    void Add(const Variant& value) { items_.push_back(value); }
    long Count() const { return long(items_.size()); }
    // The value at 1-based position index; error 9 outside 1..Count.
    const Variant& Item(long index) const;
    // Removes the value at 1-based position index; error 9 outside 1..Count.
    void Remove(long index);

private:
    std::vector<Variant> items_;
};

using CollectionRef = std::shared_ptr<Collection>;

inline CollectionRef newCollection() { return std::make_shared<Collection>(); }
