#include "ui/tree/image_lists.h"

#include "toolkit/tool_icons.h"

namespace varkel {

ImageList TreeImageList() {
    ImageList list;
    // Categories and tables share the table image; view columns look like any column.
    const std::pair<const char*, const char*> images[] = {
        {"tables", "table"}, {"table", "table"},  {"view", "view"}, {"synonym", "synonym"},
        {"col", "column"},   {"col_v", "column"}, {"desc", "key"}};
    for (const auto& [key, drawn] : images)
        list.add(QString::fromLatin1(key), ToolIcon(QString::fromLatin1(drawn)));
    return list;
}

}  // namespace varkel
