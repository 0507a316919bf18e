#include "demo/TaxIds.h"

#include "demo/Random.h"

#include <vector>

namespace {

// Check digit of the CPF / CNPJ kind: weighted sum modulo 11.
QChar checkDigit(const QString& base, const std::vector<int>& weights) {
    int sum = 0;
    for (size_t i = 0; i < weights.size(); ++i)
        sum += (base[int(i)].unicode() - '0') * weights[i];
    const int rest = sum % 11;
    return QChar('0' + (rest < 2 ? 0 : 11 - rest));
}

} // namespace

namespace TaxIds {

QString cpf(Random& r) {
    QString b = r.digits(9);
    b += checkDigit(b, {10, 9, 8, 7, 6, 5, 4, 3, 2});
    b += checkDigit(b, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
    return QStringLiteral("%1.%2.%3-%4").arg(b.mid(0, 3), b.mid(3, 3), b.mid(6, 3), b.mid(9, 2));
}

QString cnpj(Random& r) {
    QString b = r.digits(8) + QStringLiteral("0001");
    b += checkDigit(b, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    b += checkDigit(b, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
    return QStringLiteral("%1.%2.%3/%4-%5")
        .arg(b.mid(0, 2), b.mid(2, 3), b.mid(5, 3), b.mid(8, 4), b.mid(12, 2));
}

} // namespace TaxIds
