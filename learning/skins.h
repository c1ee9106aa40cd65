#pragma once
// The ten skin pictures the window loads from the skin library: the hint
// area's two pictures and the faces of the two delete buttons (and three
// colour swatches that are loaded but never shown).
#include <QImage>

namespace learning {

struct Skins {
    QImage jpgred;
    QImage jpgblue;
    QImage jpggreen;
    QImage gifkolvar;  // hint area when idle and after a stored code
    QImage jpgjingtai; // hint area while learning mode waits for a key
    QImage stopdelete; // delstudykey while delete mode is on
    QImage deletehui;  // delstudykey with nothing to delete
    QImage delete_;    // delstudykey when deleting is possible ("delete")
    QImage clear;      // delallstudykey when deleting is possible
    QImage clearhui;   // delallstudykey with nothing to delete
};

} // namespace learning
