// The Domino Objects interfaces as the program uses them. A server implements them (the real
// COM server through the Windows back end, the local store elsewhere); the program reaches them
// only through the TNotes* wrappers of access/Domino_TLB.h.
//
// Failing calls raise EOleException carrying the server's message and code. Calls that return
// an object return an empty pointer where the real server returns Nothing. Standard C++ only.
#pragma once

#include "interfaces/ComObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Class and interface identifiers; all end in -2EED-1069-BF5D-00DD011186B7.
namespace domino_ids {
inline constexpr char16_t kNotesSessionClass[] = u"{29131539-2EED-1069-BF5D-00DD011186B7}";
} // namespace domino_ids

// Whether a view is one people browse: its name is not blank and has no "$" (views named so,
// such as "($All)", are the database's own).
inline bool IsShownViewName(std::u16string_view name) {
    if (name.find(u'$') != std::u16string_view::npos)
        return false;
    for (char16_t c : name)
        if (c > 32)
            return true;
    return false;
}

// Item type codes (IItem::Type).
namespace item_type {
constexpr int32_t kRichText = 1;
constexpr int32_t kNumbers = 768;
constexpr int32_t kDateTimes = 1024;
constexpr int32_t kNames = 1074;
constexpr int32_t kReaders = 1075;
constexpr int32_t kAuthors = 1076;
constexpr int32_t kAttachment = 1084;
constexpr int32_t kText = 1280;
} // namespace item_type

class IViewEntryCollection : public IDispatchObject {
public:
    virtual int32_t Count() = 0;
};

// Kinds of embedded objects (IEmbeddedObject::Type).
namespace embed_type {
constexpr int32_t kObjectLink = 1452;
constexpr int32_t kObject = 1453;     // an embedded (OLE) object
constexpr int32_t kAttachment = 1454; // a file attachment (also when rich text shows it)
} // namespace embed_type

class IEmbeddedObject : public IDispatchObject {
public:
    virtual std::u16string Name() = 0;
    virtual int32_t Type() = 0;
    // Writes the object's bytes to path (a full file name); raises an error when it cannot.
    virtual void ExtractFile(const std::u16string& path) = 0;
};

class IItem : public IDispatchObject {
public:
    virtual std::u16string Name() = 0;
    virtual int32_t Type() = 0;
    // This item's values (an array; rich text gives its text), whatever other items share its name.
    virtual Variant Values() = 0;
};

// The item interface the item wrapper binds to; it adds nothing the program uses.
class IItem2 : public IItem {};

class IRichTextItem : public IItem {
public:
    // Array of the embedded objects (attachments, OLE objects) of the item; empty when none.
    virtual Variant EmbeddedObjects() = 0;
    virtual std::shared_ptr<IEmbeddedObject> GetEmbeddedObject(const std::u16string& name) = 0;
    virtual std::u16string GetFormattedText(bool stripTabs, int32_t lineLength) = 0;
};

class IDocument : public IDispatchObject {
public:
    virtual std::u16string UniversalID() = 0;
    // One value per view column (an array where the document holds several); empty unless the
    // document was reached through a view.
    virtual Variant ColumnValues() = 0;
    // Array of item objects in document order; each one's default value is the item's name.
    virtual Variant Items() = 0;
    virtual bool HasEmbedded() = 0;
    virtual std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string& fileName) = 0;
    // The n-th attachment (from 1) of those named fileName, for a document that holds several
    // files of one name; an empty pointer past the last. A server that cannot tell them apart
    // gives the first one for n = 1 and nothing after it.
    virtual std::shared_ptr<IEmbeddedObject> GetNthAttachment(const std::u16string& fileName, int32_t n) {
        return n == 1 ? GetAttachment(fileName) : nullptr;
    }
    virtual std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) = 0;
    // Always an array; a missing item gives an array holding one empty text.
    virtual Variant GetItemValue(const std::u16string& name) = 0;
};

class IView : public IDispatchObject {
public:
    virtual std::u16string Name() = 0;
    virtual int32_t ColumnCount() = 0;
    virtual Variant ColumnNames() = 0;
    virtual std::shared_ptr<IViewEntryCollection> AllEntries() = 0;
    // Counts from 1; past the end gives an empty pointer.
    virtual std::shared_ptr<IDocument> GetNthDocument(int32_t n) = 0;
    // The document after doc in view order; an empty pointer after the last.
    virtual std::shared_ptr<IDocument> GetNextDocument(const std::shared_ptr<IDocument>& doc) = 0;
};

class IDatabase : public IDispatchObject {
public:
    // Array of view objects in the database's order; each one's default value is the view's name.
    virtual Variant Views() = 0;
    virtual std::shared_ptr<IView> GetView(const std::u16string& name) = 0;
    virtual std::shared_ptr<IDocument> GetDocumentByUNID(const std::u16string& unid) = 0;
};

class IDXLExporter : public IDispatchObject {
public:
    virtual void SetConvertNotesBitmapsToGIF(bool value) = 0;
    // Leave out the data of the file objects that rich text refers to (attachments and embedded
    // objects), and of the other file objects.
    virtual void SetOmitRichtextAttachments(bool value) = 0;
    virtual void SetOmitMiscFileObjects(bool value) = 0;
    // Exports a document (passed as an object value) to DXL text.
    virtual std::u16string Export(const Variant& what) = 0;
};

class ISession : public IDispatchObject {
public:
    virtual void Initialize(const std::u16string& password) = 0;
    virtual void InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password) = 0;
    virtual std::shared_ptr<IDatabase> GetDatabase(const std::u16string& server, const std::u16string& path,
                                                   bool createOnFail) = 0;
    virtual Variant Evaluate(const std::u16string& formula, const Variant& document) = 0;
    virtual std::shared_ptr<IDXLExporter> CreateDXLExporter() = 0;
};
