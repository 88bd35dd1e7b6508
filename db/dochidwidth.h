#pragma once

#include <QString>

// The process-wide number of digits to which person numbers are padded for
// display: at least 4, set whenever people are loaded into the people model.
class DochidWidth
{
public:
    static int value();
    static void set(int digits);
    // The digit count of a person number.
    static int digitsOf(uint dochid);
    // The person number padded with leading zeros to the current width.
    static QString format(uint dochid);
};
