#include "Collection.h"

#include "RuntimeError.h"

const Variant& Collection::Item(long index) const {
    if (index < 1 || index > Count()) raiseError(ErrorNumber::SubscriptOutOfRange);
    return items_[size_t(index - 1)];
}

void Collection::Remove(long index) {
    if (index < 1 || index > Count()) raiseError(ErrorNumber::SubscriptOutOfRange);
    items_.erase(items_.begin() + (index - 1));
}
