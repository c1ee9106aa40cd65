#pragma once
// The pictures stored with the window layouts, compiled into the program.
//
//   splash                     JPEG 460 x 260
//   background                 JPEG 1024 x 734
//   urc                        GIF 195 x 730, the URC's front with its 70 keys
//   key_<code>                 GIF at the key's size, plain look (70 pictures)
//   learn_start, learn_stop    JPEG 137 x 37
//   icon_help, icon_update, icon_exit          GIF 49 x 42
//   hint_idle, hint_idle_learned, hint_learning, hint_deleting   GIF 413 x 170
#include <QByteArray>
#include <string>

namespace layoutpictures {

// The encoded bytes of the named picture (decode them with qzt_imaging);
// empty when there is no picture of that name.
QByteArray picture(const std::string& name);

} // namespace layoutpictures
