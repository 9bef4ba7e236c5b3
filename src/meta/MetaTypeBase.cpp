#include "meta/MetaTypeBase.h"

MetaTypeBase::MetaTypeBase(QByteArray typeName, QByteArray name, QString label, QString description)
    : m_typeName(std::move(typeName)), m_name(std::move(name)), m_label(std::move(label)),
      m_description(std::move(description)) {}

MetaTypeBase::~MetaTypeBase() = default;

bool MetaTypeUnit::holdsInteger(const QVariant& value) {
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}
