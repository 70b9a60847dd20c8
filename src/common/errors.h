#pragma once
// The errors the program raises; the application's top-level handler shows their text.

#include <QString>
#include <stdexcept>

class MxError : public std::runtime_error {
public:
  explicit MxError(const QString& text) : std::runtime_error(text.toStdString()) {}
  QString Text() const { return QString::fromStdString(what()); }
};

// A file that cannot be opened, read or written.
class EInOutError : public MxError {
public:
  using MxError::MxError;
};

// A text that is not a number where one is required.
class EConvertError : public MxError {
public:
  using MxError::MxError;
};

// Division by zero, invalid operation or overflow in floating point.
class EMathError : public MxError {
public:
  using MxError::MxError;
};

inline const char* kFloatDivByZero = "Floating point division by zero";
inline const char* kFloatInvalid = "Invalid floating point operation";
inline const char* kFloatOverflow = "Floating point overflow";
