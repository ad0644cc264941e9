#pragma once

#include "core/unique_fd.h"

namespace vemo::serial {

using core::UniqueFd;

}  // namespace vemo::serial
