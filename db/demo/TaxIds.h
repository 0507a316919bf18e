#pragma once
// Brazilian registration numbers with valid check digits, formatted as printed on documents:
// CPF for people, CNPJ (head office "0001") for companies and other bodies.
#include <QString>

class Random;

namespace TaxIds {
// "000.000.000-00"
QString cpf(Random& r);
// "00.000.000/0001-00"
QString cnpj(Random& r);
} // namespace TaxIds
