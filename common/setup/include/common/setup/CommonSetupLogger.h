// The one global log of the setup programs. Records go to Boost.Log's default
// output, which prints one line per record on standard output.
#pragma once
#include <boost/log/sources/global_logger_storage.hpp>
#include <boost/log/sources/record_ostream.hpp>
#include <boost/log/sources/severity_logger.hpp>

namespace kvmsi {

// Our own levels. The library's default output does not know this type and
// prints every record with its default level tag, "[info]   ".
enum class Severity : int {
    Trace = 0,
    Info = 1,
    Notice = 2,
    Warning = 3,
    Error = 4,
    Fatal = 5,
};

BOOST_LOG_INLINE_GLOBAL_LOGGER_DEFAULT(CommonSetupLogger, boost::log::sources::wseverity_logger_mt<Severity>)

}  // namespace kvmsi

// Opens a record with the given severity; compose the message with <<.
#define KVMSI_LOG(severity) BOOST_LOG_SEV(::kvmsi::CommonSetupLogger::get(), (severity))
