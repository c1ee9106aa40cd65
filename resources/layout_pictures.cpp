#include "resources/layout_pictures.h"

#include "platform/reslib/resource_abi.h"

extern "C" int qzt_layout_picture(int type, const char* name, const unsigned char** data,
                                  unsigned long* size);

namespace layoutpictures {

QByteArray picture(const std::string& name) {
    const unsigned char* data = nullptr;
    unsigned long size = 0;
    if (qzt_layout_picture(QZT_RESOURCE_RAW_DATA, name.c_str(), &data, &size) != 1)
        return {};
    // The table is constant data of the program, so no copy is needed.
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

} // namespace layoutpictures
