#include "app/GetOpt.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {
QStringList applicationArguments() {
    if (!QCoreApplication::instance())
        qFatal("GetOpt: requires a QApplication instance to be constructed first");
    return QCoreApplication::arguments();
}
} // namespace

GetOpt::GetOpt(int startIndex) : GetOpt(applicationArguments(), startIndex) {}

GetOpt::GetOpt(const QStringList& arguments, int startIndex) {
    if (!QCoreApplication::instance())
        qFatal("GetOpt: requires a QApplication instance to be constructed first");
    m_remaining = arguments.mid(startIndex);
}

void GetOpt::addSwitch(const QString& longName, bool* target) {
    *target = false;
    m_options.append({Kind::Switch, QChar(), longName, target, nullptr, nullptr, QString()});
}

void GetOpt::addOption(const QString& longName, QString* target, const QString& defaultValue) {
    *target = QString();
    m_options.append({Kind::DefaultValue, QChar(), longName, nullptr, target, nullptr, defaultValue});
}

void GetOpt::addRepeatableOption(const QString& longName, QStringList* target) {
    target->clear();
    m_options.append({Kind::Repeatable, QChar(), longName, nullptr, nullptr, target, QString()});
}

void GetOpt::addRepeatableOption(QChar shortName, QStringList* target) {
    target->clear();
    m_options.append({Kind::Repeatable, shortName, QString(), nullptr, nullptr, target, QString()});
}

void GetOpt::addVarLengthOption(const QString& longName, QStringList* target) {
    target->clear();
    m_options.append({Kind::VarLength, QChar(), longName, nullptr, nullptr, target, QString()});
}

void GetOpt::addArgument(const QString& name, QString* target) {
    *target = QString();
    m_required.append({name, target});
}

void GetOpt::addOptionalArgument(const QString& name, QString* target) {
    *target = QString();
    m_optional = {name, target};
}

GetOpt::Token GetOpt::nextToken() {
    Token token;
    if (m_remaining.isEmpty())
        return token;
    token.text = m_remaining.takeFirst();
    if (m_pushedBack > 0)
        --m_pushedBack;

    if (token.text.startsWith(QLatin1String("--"))) {
        QString name = token.text.mid(2);
        if (name.isEmpty())
            std::exit(2);
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            m_remaining.prepend(name.mid(eq + 1));
            ++m_pushedBack;
            token.pushedBack = true;
            name.truncate(eq);
        }
        token.kind = TokenKind::Long;
        token.text = name;
    } else if (token.text.startsWith(QLatin1Char('-')) && token.text.size() > 1) {
        if (token.text.size() > 2) {
            m_remaining.prepend(token.text.mid(2));
            ++m_pushedBack;
            token.pushedBack = true;
        }
        token.kind = TokenKind::Short;
    } else {
        token.kind = TokenKind::Plain;
    }
    return token;
}

GetOpt::Option* GetOpt::findLong(const QString& name) {
    for (Option& option : m_options)
        if (!option.longName.isNull() && option.longName == name)
            return &option;
    return nullptr;
}

GetOpt::Option* GetOpt::findShort(QChar name) {
    for (Option& option : m_options)
        if (!option.shortName.isNull() && option.shortName == name)
            return &option;
    return nullptr;
}

bool GetOpt::takePlainArgument(const QString& value) {
    if (!m_required.isEmpty()) {
        for (Argument& argument : m_required) {
            if (argument.target->isNull()) {
                *argument.target = value;
                return true;
            }
        }
        return false;
    }
    if (m_optional.target) {
        if (!m_optional.target->isNull())
            return false;
        *m_optional.target = value;
    }
    return true;
}

void GetOpt::setOptionValue(Option& option, const QString& value) {
    if (option.valueTarget)
        *option.valueTarget = value;
    else
        option.listTarget->append(value);
}

bool GetOpt::parse(bool untilFirstSwitchOnly) {
    Option* pending = nullptr;
    Token token = nextToken();
    for (;;) {
        Option* option = nullptr;
        if (token.kind == TokenKind::Long) {
            option = findLong(token.text);
            if (!option)
                return false;
        } else if (token.kind == TokenKind::Short) {
            option = findShort(token.text.at(1));
            if (!option) {
                // A collecting variable-length option takes unknown dashed words as values.
                if (!pending || pending->kind != Kind::VarLength)
                    return false;
                if (token.pushedBack) {
                    m_remaining.removeFirst();
                    --m_pushedBack;
                }
                token.kind = TokenKind::Plain;
            }
        }

        if (pending) {
            const bool needsValue = pending->kind == Kind::RequiredValue || pending->kind == Kind::Repeatable;
            if (token.kind == TokenKind::Plain) {
                setOptionValue(*pending, token.text);
                if (pending->kind != Kind::VarLength)
                    pending = nullptr;
                token = nextToken();
                continue;
            }
            if (needsValue)
                return false;
            if (pending->kind == Kind::DefaultValue)
                *pending->valueTarget = pending->defaultValue;
            pending = nullptr;
            if (token.kind == TokenKind::End)
                break;
            continue; // read the same token again with nothing pending
        }

        if (token.kind == TokenKind::End)
            break;
        if (token.kind == TokenKind::Plain) {
            if (!takePlainArgument(token.text))
                return false;
        } else {
            if (option->kind == Kind::Switch) {
                *option->switchTarget = true;
                if (untilFirstSwitchOnly)
                    break;
            } else {
                pending = option;
            }
        }
        token = nextToken();
    }
    return finish();
}

bool GetOpt::finish() {
    for (const Argument& argument : m_required)
        if (argument.target->isNull())
            return false;
    for (Option& option : m_options)
        if (option.valueTarget && option.valueTarget->isNull())
            *option.valueTarget = option.defaultValue;
    return true;
}
