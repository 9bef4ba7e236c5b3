#include "source/model/SchemaText.h"

#include "source/values/ShortType.h"

namespace SchemaText {

bool parse(const QByteArray& line, VkFieldList* fields, QString* error) {
    VkFieldList parsed;
    if (line.isEmpty()) {
        *fields = parsed;
        return true;
    }
    for (const QByteArray& entry : line.split('\t')) {
        const int equals = entry.indexOf('=');
        ShortType type;
        if (!ShortType::parse(equals >= 0 ? entry.mid(equals + 1) : entry, &type, error))
            return false;
        const QByteArray symbol = equals >= 0 ? entry.left(equals) : QByteArray();
        parsed.append(VkField(parsed.size(), symbol, symbol, type.type));
    }
    *fields = parsed;
    return true;
}

QByteArray write(const VkFieldList& fields) {
    QByteArray line;
    for (const VkField& field : fields) {
        if (!line.isEmpty())
            line += '\t';
        line += field.symbol + '=' + ShortType::text(field.valueType);
    }
    return line;
}

} // namespace SchemaText
