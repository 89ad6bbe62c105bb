#include "groups/TreeProps.h"

#include <unordered_map>

namespace typa {

HTREEITEM AddTreeNode(HWND tree, HTREEITEM parent, const std::string& caption, const TTreeViewProps& props,
                      int image, int selectedImage)
{
    auto* record = new TTreeViewProps(props);
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(caption.c_str());
    ins.item.lParam = reinterpret_cast<LPARAM>(record);
    ins.item.iImage = image;
    ins.item.iSelectedImage = selectedImage;
    auto node = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!node) delete record; // the tree refused it: nobody else will free the record
    return node;
}

TTreeViewProps* NodeProps(HWND tree, HTREEITEM node)
{
    if (!node) return nullptr;
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<TTreeViewProps*>(item.lParam);
}

std::string NodeCaption(HWND tree, HTREEITEM node)
{
    char text[1024] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!node || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return text;
}

void SetNodeCaption(HWND tree, HTREEITEM node, const std::string& caption)
{
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<char*>(caption.c_str());
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SortChildren(HWND tree, HTREEITEM parent)
{
    // The tree hands the comparison the nodes' data, so the captions are read beforehand.
    std::unordered_map<LPARAM, std::string> captions;
    for (auto c = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         c; c = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(c))))
        captions[reinterpret_cast<LPARAM>(NodeProps(tree, c))] = NodeCaption(tree, c);
    struct Sorting {
        static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM map)
        {
            auto& byData = *reinterpret_cast<std::unordered_map<LPARAM, std::string>*>(map);
            return lstrcmpA(byData[a].c_str(), byData[b].c_str());
        }
    };
    TVSORTCB sort{parent, Sorting::Compare, reinterpret_cast<LPARAM>(&captions)};
    SendMessageA(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void FreeDeletedNodeProps(const NMTREEVIEWA& notification)
{
    delete reinterpret_cast<TTreeViewProps*>(notification.itemOld.lParam);
}

} // namespace typa
