// How the checks of a medium collect their findings.
#pragma once

#include "medium/Check.h"

#include <string>
#include <vector>

namespace medium {

std::string Printed(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

struct Report {
    std::vector<Finding> findings;

    void Pass(std::string subject, std::string message) {
        Add(Verdict::Ok, std::move(subject), std::move(message));
    }
    void Warn(std::string subject, std::string message) {
        Add(Verdict::Warning, std::move(subject), std::move(message));
    }
    void Fail(std::string subject, std::string message) {
        Add(Verdict::Failure, std::move(subject), std::move(message));
    }
    void Add(Verdict verdict, std::string subject, std::string message) {
        findings.push_back({verdict, std::move(subject), std::move(message)});
    }
};

} // namespace medium
