#include "meta/VkOptionsValue.h"

#include "meta/MetaTypeBase.h"
#include "meta/VkMetaOptionsBase.h"

#include <QMetaType>

namespace {

// Records hold these types in QVariants; equality of records compares them by value, and
// queued signals carry them by name.
bool registerOptionTypes() {
    qRegisterMetaType<VkOptionsValue>("VkOptionsValue");
    qRegisterMetaType<QVector<VkOptionsValue>>("QVector<VkOptionsValue>");
    qRegisterMetaType<QVector<bool>>("QVector<bool>");
    qRegisterMetaType<QVector<int>>("QVector<int>");
    qRegisterMetaType<QVector<double>>("QVector<double>");
    qRegisterMetaType<QVector<QString>>("QVector<QString>");
    QMetaType::registerEqualsComparator<VkOptionsValue>();
    QMetaType::registerEqualsComparator<QVector<VkOptionsValue>>();
    QMetaType::registerEqualsComparator<QVector<bool>>();
    QMetaType::registerEqualsComparator<QVector<int>>();
    QMetaType::registerEqualsComparator<QVector<double>>();
    QMetaType::registerEqualsComparator<QVector<QString>>();
    return true;
}

[[maybe_unused]] const bool kOptionTypesRegistered = registerOptionTypes();

} // namespace

VkOptionsValue::VkOptionsValue(VkOptionsData* data) noexcept : m_data(data) {
    if (m_data)
        m_data->m_ref.ref();
}

VkOptionsValue::VkOptionsValue(const VkOptionsValue& other) noexcept : VkOptionsValue(other.m_data) {}

VkOptionsValue::VkOptionsValue(VkOptionsValue&& other) noexcept : m_data(other.m_data) {
    other.m_data = nullptr;
}

VkOptionsValue& VkOptionsValue::operator=(const VkOptionsValue& other) noexcept {
    if (other.m_data)
        other.m_data->m_ref.ref();
    release();
    m_data = other.m_data;
    return *this;
}

VkOptionsValue& VkOptionsValue::operator=(VkOptionsValue&& other) noexcept {
    if (this != &other) {
        release();
        m_data = other.m_data;
        other.m_data = nullptr;
    }
    return *this;
}

VkOptionsValue::~VkOptionsValue() {
    release();
}

void VkOptionsValue::release() noexcept {
    if (m_data && !m_data->m_ref.deref())
        delete m_data;
    m_data = nullptr;
}

const VkMetaOptionsBase* VkOptionsValue::meta() const {
    return m_data ? m_data->meta() : nullptr;
}

QString VkOptionsValue::className() const {
    return m_data ? m_data->meta()->className() : QString();
}

bool VkOptionsValue::isA(const VkMetaOptionsBase* family) const {
    return m_data && m_data->meta()->inherits(family);
}

int VkOptionsValue::useCount() const {
    return m_data ? m_data->m_ref.loadAcquire() : 0;
}

QList<QByteArray> VkOptionsValue::optionNames() const {
    return m_data ? m_data->optionNames() : QList<QByteArray>();
}

QVariant VkOptionsValue::option(const QByteArray& name) const {
    return m_data ? m_data->option(name) : QVariant();
}

bool VkOptionsValue::setOption(const QByteArray& name, const QVariant& value) {
    return m_data && m_data->setOption(name, value);
}

void VkOptionsValue::resetOption(const QByteArray& name) {
    if (m_data)
        m_data->resetOne(name);
}

void VkOptionsValue::resetAll() {
    if (m_data)
        m_data->resetAll();
}

void VkOptionsValue::copyFrom(const VkOptionsValue& other) {
    if (m_data && other.m_data)
        m_data->copyFrom(*other.m_data);
}

bool VkOptionsValue::validate(QString* error) const {
    return m_data && m_data->validate(error);
}

VkOptionsValue VkOptionsValue::clone() const {
    return VkOptionsValue(m_data ? m_data->clone() : nullptr);
}

void VkOptionsValue::detach() {
    if (useCount() > 1)
        *this = clone();
}

int VkOptionsValue::dbId() const {
    return m_data ? m_data->dbId() : -1;
}

int VkOptionsValue::dbGroupId() const {
    return m_data ? m_data->dbGroupId() : -1;
}

void VkOptionsValue::setDbId(int dbId) {
    if (m_data)
        m_data->setDbId(dbId);
}

void VkOptionsValue::setDbGroupId(int dbGroupId) {
    if (m_data)
        m_data->setDbGroupId(dbGroupId);
}

bool VkOptionsValue::operator==(const VkOptionsValue& other) const {
    if (m_data == other.m_data)
        return true;
    return m_data && other.m_data && m_data->equals(*other.m_data);
}

VkOptionsData* VkOptionsValue::ofFamily(const VkOptionsValue& value, const VkMetaOptionsBase* family) {
    return value.isA(family) ? value.m_data : nullptr;
}

QVariant VkOptionsValue::defaultAt(const VkMetaOptionsBase* family, int index) const {
    return family->entry(index).type->defaultValue();
}
