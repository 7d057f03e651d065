// The message shown for a failure report of the extraction worker.
#pragma once
#include <string>

#include "ExtractionError.h"
#include "riviru/localization/IStringResources.h"

std::wstring ExtractionErrorText(const ExtractionError& error, const riviru::IStringResources& strings);
