#pragma once

#include "meta/VkOptionsData.h"

#include <QMetaType>
#include <QVector>
#include <type_traits>

class VkMetaOptionsBase;

// Shared handle to an option record. Copying a handle shares the record (the count is atomic,
// so handles may be copied and dropped on any thread); the last handle deletes it. Setters change
// the shared record: call detach() first when other holders must not see the change.
//
// Family handles (AltRatioOptions, TsfWriterTask, ...) derive from this class and add typed
// accessors; see VkOptionsDeclare.h. A default-constructed VkOptionsValue is null.
class VkOptionsValue {
public:
    using Data = VkOptionsData;
    using Meta = VkMetaOptionsBase;
    // Family handles number their options from here on.
    enum OptionIndex : int { kOptionEnd = 0 };

    VkOptionsValue() noexcept = default;
    // Shares the record (which may be null).
    explicit VkOptionsValue(VkOptionsData* data) noexcept;
    VkOptionsValue(const VkOptionsValue& other) noexcept;
    VkOptionsValue(VkOptionsValue&& other) noexcept;
    VkOptionsValue& operator=(const VkOptionsValue& other) noexcept;
    VkOptionsValue& operator=(VkOptionsValue&& other) noexcept;
    ~VkOptionsValue();

    // The family a nested-record option of this handle type accepts: any.
    static const VkMetaOptionsBase* staticMeta() { return nullptr; }

    bool isNull() const { return m_data == nullptr; }
    VkOptionsData* data() const { return m_data; }
    const VkMetaOptionsBase* meta() const;
    QString className() const;
    // True when the record belongs to the family or to a family derived from it (null: any).
    bool isA(const VkMetaOptionsBase* family) const;
    // Number of handles sharing the record (0 for a null handle).
    int useCount() const;

    // Generic access by option name.
    QList<QByteArray> optionNames() const;
    QVariant option(const QByteArray& name) const;
    bool setOption(const QByteArray& name, const QVariant& value);
    void resetOption(const QByteArray& name);
    void resetAll();
    void copyFrom(const VkOptionsValue& other);
    bool validate(QString* error = nullptr) const;

    // An independent deep copy; a null handle clones to null.
    VkOptionsValue clone() const;
    // Replaces a shared record by a private clone.
    void detach();

    int dbId() const;
    int dbGroupId() const;
    void setDbId(int dbId);
    void setDbGroupId(int dbGroupId);

    // Equal records: same family, same values, same database identity; or both null.
    bool operator==(const VkOptionsValue& other) const;
    bool operator!=(const VkOptionsValue& other) const { return !(*this == other); }

protected:
    // Typed access for family handles; a null handle reads the family's defaults and ignores writes.
    template <class T> T optionAt(const VkMetaOptionsBase* family, int index) const;
    template <class T> void setOptionAt(int index, const T& value);
    // The record when it belongs to the family, else null.
    static VkOptionsData* ofFamily(const VkOptionsValue& value, const VkMetaOptionsBase* family);
    QVariant defaultAt(const VkMetaOptionsBase* family, int index) const;

private:
    void release() noexcept;

    VkOptionsData* m_data = nullptr;
};

Q_DECLARE_METATYPE(VkOptionsValue)

// How an accessor's C++ type travels in a record's QVariant: family handles as VkOptionsValue,
// lists of them as QVector<VkOptionsValue>, everything else as itself.
template <class T, class = void> struct VkOptionCodec {
    static T fromVariant(const QVariant& value) { return value.value<T>(); }
    static QVariant toVariant(const T& value) { return QVariant::fromValue(value); }
};

template <class T> struct VkOptionCodec<T, std::enable_if_t<std::is_base_of<VkOptionsValue, T>::value>> {
    static T fromVariant(const QVariant& value) { return T(value.value<VkOptionsValue>()); }
    static QVariant toVariant(const T& value) { return QVariant::fromValue<VkOptionsValue>(value); }
};

template <class T>
struct VkOptionCodec<QVector<T>, std::enable_if_t<std::is_base_of<VkOptionsValue, T>::value>> {
    static QVector<T> fromVariant(const QVariant& value) {
        QVector<T> typed;
        for (const VkOptionsValue& record : value.value<QVector<VkOptionsValue>>())
            typed.append(T(record));
        return typed;
    }
    static QVariant toVariant(const QVector<T>& value) {
        return QVariant::fromValue(QVector<VkOptionsValue>(value.begin(), value.end()));
    }
};

template <class T> T VkOptionsValue::optionAt(const VkMetaOptionsBase* family, int index) const {
    return VkOptionCodec<T>::fromVariant(m_data ? m_data->optionAt(index) : defaultAt(family, index));
}

template <class T> void VkOptionsValue::setOptionAt(int index, const T& value) {
    if (m_data)
        m_data->setOptionAt(index, VkOptionCodec<T>::toVariant(value));
}
