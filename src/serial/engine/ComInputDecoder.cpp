#include "serial/engine/ComInputDecoder.h"

namespace serial {

void ComInputDecoder::setRules(const ComInputRules& rules)
{
    if (rules.marked != rules_.marked)
        state_ = State::Plain;
    rules_ = rules;
}

std::size_t ComInputDecoder::decode(const char* in, std::size_t count, char* out)
{
    constexpr char kMark = '\xff';
    std::size_t n = 0;
    auto emit = [&](char c) {
        if (!(rules_.discardNull && c == '\0'))
            out[n++] = c;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const char c = in[i];
        if (!rules_.marked) {
            emit(c);
            continue;
        }
        switch (state_) {
        case State::Plain:
            if (c == kMark)
                state_ = State::Mark;
            else
                emit(c);
            break;
        case State::Mark:
            if (c == '\0') {
                state_ = State::MarkZero;
            } else {
                // FF FF is one FF; anything else after FF is not a mark.
                state_ = State::Plain;
                emit(kMark);
                if (c != kMark)
                    emit(c);
            }
            break;
        case State::MarkZero:
            state_ = State::Plain;
            emit(rules_.replaceErrors ? static_cast<char>(rules_.errorChar) : c);
            break;
        }
    }
    return n;
}

} // namespace serial
