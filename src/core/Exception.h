#pragma once
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

// The one error type of the program: a message text, shown to the user as it stands.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Fills a message format: each "%s" takes the next argument, in order; "%%" is a percent sign.
std::string Format(std::string_view format, std::initializer_list<std::string_view> args);

// The text of the error box that shows an error no code handled: a full stop is added when the
// last byte sorts after "." (so "Failed" gets one, "Done." and "Stop!" do not, an empty text
// stays empty).
std::string ErrorBoxText(std::string message);
