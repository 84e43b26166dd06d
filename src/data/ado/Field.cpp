#include "Field.h"

#include "AdoError.h"
#include "FieldCoercion.h"
#include "RecordsetImpl.h"

using namespace Qt::StringLiterals;

namespace ado {

namespace {

const QString fieldSource = u"ADODB.Field"_s;

} // namespace

QString Field::Name() const {
    owner_->d->requireOpen();
    return owner_->d->store->columns()[std::size_t(ordinal_)].name;
}

long Field::Type() const {
    owner_->d->requireOpen();
    return owner_->d->store->columns()[std::size_t(ordinal_)].type;
}

long Field::DefinedSize() const {
    owner_->d->requireOpen();
    return owner_->d->store->columns()[std::size_t(ordinal_)].definedSize;
}

long Field::Attributes() const {
    owner_->d->requireOpen();
    const ColumnInfo& info = owner_->d->store->columns()[std::size_t(ordinal_)];
    long attributes = 0;
    if (owner_->d->takesNull(ordinal_)) attributes |= adFldIsNullable | adFldMayBeNull;
    if (info.key) attributes |= adFldKeyColumn;
    return attributes;
}

Variant Field::Value() const {
    const Recordset::Impl& d = *owner_->d;
    d.requireCurrent();
    const auto o = std::size_t(ordinal_);
    if (d.mode == Recordset::Impl::EditMode::New ||
        (d.mode == Recordset::Impl::EditMode::Changed && d.changed[o]))
        return d.buffer[o];
    return d.store->value(d.position, ordinal_);
}

void Field::setValue(const Variant& value) {
    Recordset::Impl& d = *owner_->d;
    d.requireUpdatable();
    d.requireCurrent();
    const ColumnInfo& info = d.store->columns()[std::size_t(ordinal_)];
    // Coerced first: a refused value leaves the record and the edit as they were.
    const Variant kept = FieldCoercion::coerce(info, value);
    const std::size_t n = std::size_t(d.store->columnCount());
    if (d.mode == Recordset::Impl::EditMode::None) {
        d.mode = Recordset::Impl::EditMode::Changed;
        d.buffer.assign(n, Variant());
        d.changed.assign(n, false);
    }
    const auto o = std::size_t(ordinal_);
    d.buffer[o] = kept;
    // Writing back the value the field already holds is no change: it is left out of the
    // UPDATE, so that it neither overwrites nor stands in the way of someone else's change.
    d.changed[o] =
        d.mode == Recordset::Impl::EditMode::New || !(kept == d.store->value(d.position, ordinal_));
}

Variant Field::OriginalValue() const {
    const Recordset::Impl& d = *owner_->d;
    d.requireCurrent();
    return d.store->value(d.position, ordinal_);
}

Variant Field::Properties(const QString& name) const {
    const Recordset::Impl& d = *owner_->d;
    d.requireOpen();
    const ColumnInfo& info = d.store->columns()[std::size_t(ordinal_)];
    const QString key = name.trimmed();
    if (key.compare(u"BASETABLENAME"_s, Qt::CaseInsensitive) == 0) {
        const QString table = info.baseTable.isEmpty() ? d.table : info.baseTable;
        return table.isEmpty() ? Variant::null() : Variant(table);
    }
    if (key.compare(u"BASECOLUMNNAME"_s, Qt::CaseInsensitive) == 0) {
        if (!info.baseColumn.isEmpty()) return Variant(info.baseColumn);
        return d.table.isEmpty() ? Variant::null() : Variant(info.name);
    }
    if (key.compare(u"BASESCHEMANAME"_s, Qt::CaseInsensitive) == 0) {
        const QString schema = info.baseTable.isEmpty() ? d.schema : info.baseSchema;
        return schema.isEmpty() ? Variant::null() : Variant(schema);
    }
    if (key.compare(u"KEYCOLUMN"_s, Qt::CaseInsensitive) == 0) return Variant(info.key);
    if (key.compare(u"ISAUTOINCREMENT"_s, Qt::CaseInsensitive) == 0)
        return Variant(info.autoIncrement);
    raiseAdoError(adErrItemNotFound, fieldSource, u"(Propiedad \"%1\")"_s.arg(key));
}

} // namespace ado
