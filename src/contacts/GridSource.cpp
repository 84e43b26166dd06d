#include "GridSource.h"

#include "shared/Variant.h"

GridSource::Kind GridSource::sortKind(int, int, double&) const {
    return Kind::Text;
}

QString GridSource::displayText(const Variant& value) {
    return value.toDisplayString();
}
