#include "ProviderError.h"

#include "AdoTypes.h"
#include "shared/RuntimeError.h"

namespace ado {

const ProviderError& Errors::Item(long index) const {
    if (index < 0 || index >= Count()) raiseError(adErrItemNotFound, QStringLiteral("Errors"));
    return items_[std::size_t(index)];
}

} // namespace ado
