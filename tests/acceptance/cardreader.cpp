#include "tests/acceptance/cardreader.h"

#include "tests/acceptance/xsession.h"

namespace {

// X key codes (evdev + 8) of the US positions.
QString keyCode(QChar character)
{
    static const QString rows[] = { QStringLiteral("1234567890"),
                                    QStringLiteral("qwertyuiop"),
                                    QStringLiteral("asdfghjkl"),
                                    QStringLiteral("zxcvbnm") };
    static const int firstCodes[] = { 10, 24, 38, 52 };
    for (int row = 0; row < 4; ++row) {
        const int at = rows[row].indexOf(character.toLower());
        if (at >= 0)
            return QString::number(firstCodes[row] + at);
    }
    return {};
}

const QString enterKey = QStringLiteral("36");

} // namespace

QStringList CardReader::keystrokes(const QString &code, int msPerKey)
{
    // xdotool's own key delay also falls between Shift and its key: no delay there.
    const auto press = [](const QString &key) {
        return QStringList {
            QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("0"), key
        };
    };
    const QStringList pause { QStringLiteral("sleep"), QString::number(msPerKey / 1000.0) };
    QStringList commands;
    for (const QChar character : code) {
        const QString key = keyCode(character);
        commands << press(character.isUpper() ? QStringLiteral("shift+") + key : key) << pause;
    }
    return commands << press(enterKey);
}

bool CardReader::read(XSession &x, const QString &code, int msPerKey)
{
    return !x.xdotool(keystrokes(code, msPerKey)).isNull();
}

bool CardReader::pressDigitKey(XSession &x, int digit)
{
    return !x.xdotool({ QStringLiteral("key"), keyCode(QLatin1Char(char('0' + digit))) }).isNull();
}
