#include "db/dochidwidth.h"

#include <QtGlobal>

#include <atomic>

namespace {
constexpr int minimumWidth = 4;
std::atomic<int> width { minimumWidth };
} // namespace

int DochidWidth::value()
{
    return width.load();
}

void DochidWidth::set(int digits)
{
    width.store(qMax(minimumWidth, digits));
}

int DochidWidth::digitsOf(uint dochid)
{
    return QString::number(dochid).size();
}

QString DochidWidth::format(uint dochid)
{
    return QStringLiteral("%1").arg(dochid, value(), 10, QLatin1Char('0'));
}
