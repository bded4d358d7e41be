#pragma once
// The strict integer of a text, as the start grids' number cells and the
// spin boxes are read: the text must be an integer and nothing else.
#include <optional>
#include <stdexcept>
#include <string>

namespace app {

// A text that should have held an integer did not. what() names the row and
// the field and quotes the text.
class InvalidInteger : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The integer of `text`, or nullopt when it is none. Accepted: blanks around
// the number, an optional "+" or "-", decimal digits within the 32-bit range
// (or hexadecimal after "$" or "0x"). An empty text, blanks only and
// trailing text are no integer.
std::optional<int> tryStrictInt(const std::string& text);

// What the operator is told of a field that holds no integer:
// "\"31;b\" i Nr är inget heltal".
std::string notAnIntegerText(const std::string& text, const std::string& field);

// The integer of `text` as tryStrictInt, read from the field `field` of data
// row `row`; throws InvalidInteger ("Rad 4: \"31;b\" i Nr är inget heltal")
// when it is none.
int strictInt(const std::string& text, int row, const std::string& field);

// The value of a spin box that keeps its number only as text: the integer
// of the text, or `minValue` when the text is none.
int spinTextValue(const std::string& text, int minValue);

} // namespace app
