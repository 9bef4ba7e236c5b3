#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Command-line option parser shared by the commands. It reads the
// application's arguments from a start index, fills the caller's variables and
// reports success; it prints nothing, so a command shows its help on failure.
class GetOpt {
public:
    // Takes QCoreApplication::arguments() from startIndex on.
    explicit GetOpt(int startIndex);
    // Same, over an explicit argument list (the application object must exist).
    GetOpt(const QStringList& arguments, int startIndex);

    void addSwitch(const QString& longName, bool* target);
    void addOption(const QString& longName, QString* target, const QString& defaultValue = QString());
    void addRepeatableOption(const QString& longName, QStringList* target);
    void addRepeatableOption(QChar shortName, QStringList* target);
    void addVarLengthOption(const QString& longName, QStringList* target);
    void addArgument(const QString& name, QString* target);
    void addOptionalArgument(const QString& name, QString* target);

    // A bare "--" ends the program with status 2.
    bool parse(bool untilFirstSwitchOnly = false);

private:
    enum class Kind { Switch = 2, RequiredValue = 3, DefaultValue = 4, Repeatable = 5, VarLength = 6 };
    struct Option {
        Kind kind;
        QChar shortName;
        QString longName;
        bool* switchTarget = nullptr;
        QString* valueTarget = nullptr;
        QStringList* listTarget = nullptr;
        QString defaultValue;
    };
    struct Argument {
        QString name;
        QString* target;
    };
    enum class TokenKind { End, Long, Short, Plain };
    struct Token {
        TokenKind kind = TokenKind::End;
        QString text;
        bool pushedBack = false; // a remainder of this token was pushed back
    };

    Token nextToken();
    Option* findLong(const QString& name);
    Option* findShort(QChar name);
    bool takePlainArgument(const QString& value);
    void setOptionValue(Option& option, const QString& value);
    bool finish();

    QStringList m_remaining;
    QVector<Option> m_options;
    QVector<Argument> m_required;
    Argument m_optional{QString(), nullptr};
    int m_pushedBack = 0;
};
