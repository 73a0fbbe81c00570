// What a gang's supervisor says to a slot through the slot's control pipe (its standard input), a byte
// each; the pipe's end says that the supervisor has gone.
#pragma once

namespace quillon {

inline constexpr char kControlEndAfterUnit = '1';  // end after the unit in hand
inline constexpr char kControlStopNow = '2';       // stop now: the unit in hand is interrupted
inline constexpr char kControlRecordKept = 'k';    // the slot's last record is kept

}  // namespace quillon
