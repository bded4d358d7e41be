#pragma once
// An error handler that keeps the what() of every failure handed to it.
#include <exception>
#include <string>
#include <vector>

#include "platform/ErrorHandler.h"

namespace testenv {

inline platform::ErrorHandler keepTexts(std::vector<std::string>& texts)
{
    return [&texts](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            texts.push_back(x.what());
        }
    };
}

} // namespace testenv
