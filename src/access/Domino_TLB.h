// The Domino Objects interfaces as the program uses them, and the wrapper classes that hold one
// reference each. A server (the real COM server on Windows, the local store elsewhere) implements
// the I* interfaces; the program talks to it only through the TNotes* wrappers.
//
// Failing calls raise EOleException (platform/ComObject.h) carrying the server's message and code.
// Calls that return an object return an empty pointer where the real server returns Nothing.
// Standard C++ only: this header is below the line that Qt does not cross.
#pragma once

#include "platform/ComObject.h"

#include <cstdint>
#include <memory>
#include <string>

class IComClassFactory;

// Class and interface identifiers; all end in -2EED-1069-BF5D-00DD011186B7.
namespace domino_ids {
inline constexpr char16_t kNotesSessionClass[] = u"{29131539-2EED-1069-BF5D-00DD011186B7}";
} // namespace domino_ids

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

class IEmbeddedObject : public IDispatchObject {
public:
    virtual std::u16string Name() = 0;
    // Writes the object's bytes to path (a full file name); raises an error when it cannot.
    virtual void ExtractFile(const std::u16string& path) = 0;
};

class IItem : public IDispatchObject {
public:
    virtual std::u16string Name() = 0;
    virtual int32_t Type() = 0;
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

// Common part of the wrappers: at most one interface reference. Calling through an unbound
// wrapper raises EOleException with E_POINTER.
template <class I> class TNotesWrapper {
public:
    TNotesWrapper() = default;
    TNotesWrapper(const TNotesWrapper&) = delete;
    TNotesWrapper& operator=(const TNotesWrapper&) = delete;
    virtual ~TNotesWrapper() = default;

    // Binds the wrapper to an interface a call returned; an empty one is allowed.
    void ConnectTo(std::shared_ptr<I> intf) { m_intf = std::move(intf); }
    void Disconnect() { m_intf.reset(); }
    bool IsBound() const noexcept { return m_intf != nullptr; }
    const std::shared_ptr<I>& DefaultInterface() const noexcept { return m_intf; }

protected:
    I& Intf() const;
    std::shared_ptr<I> m_intf;
};

class TNotesSession : public TNotesWrapper<ISession> {
public:
    // The session connects by class, through factory, on its first use.
    explicit TNotesSession(IComClassFactory& factory) : m_factory(factory) {}

    void Connect();
    void Initialize(const std::u16string& password);
    void InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password);
    std::shared_ptr<IDatabase> GetDatabase(const std::u16string& server, const std::u16string& path, bool createOnFail);
    Variant Evaluate(const std::u16string& formula, const Variant& document);
    std::shared_ptr<IDXLExporter> CreateDXLExporter();

private:
    ISession& Session();
    IComClassFactory& m_factory;
};

class TNotesDatabase : public TNotesWrapper<IDatabase> {
public:
    Variant Views() { return Intf().Views(); }
    std::shared_ptr<IView> GetView(const std::u16string& name) { return Intf().GetView(name); }
    std::shared_ptr<IDocument> GetDocumentByUNID(const std::u16string& unid) { return Intf().GetDocumentByUNID(unid); }
};

class TNotesView : public TNotesWrapper<IView> {
public:
    std::u16string Name() { return Intf().Name(); }
    int32_t ColumnCount() { return Intf().ColumnCount(); }
    Variant ColumnNames() { return Intf().ColumnNames(); }
    std::shared_ptr<IViewEntryCollection> AllEntries() { return Intf().AllEntries(); }
    // AllEntries().Count(), raising an error when the server gives no collection.
    int32_t EntryCount();
    std::shared_ptr<IDocument> GetNthDocument(int32_t n) { return Intf().GetNthDocument(n); }
    std::shared_ptr<IDocument> GetNextDocument(const std::shared_ptr<IDocument>& doc) {
        return Intf().GetNextDocument(doc);
    }
};

class TNotesDocument : public TNotesWrapper<IDocument> {
public:
    std::u16string UniversalID() { return Intf().UniversalID(); }
    Variant ColumnValues() { return Intf().ColumnValues(); }
    Variant Items() { return Intf().Items(); }
    bool HasEmbedded() { return Intf().HasEmbedded(); }
    std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string& name) { return Intf().GetAttachment(name); }
    std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) { return Intf().GetFirstItem(name); }
    Variant GetItemValue(const std::u16string& name) { return Intf().GetItemValue(name); }
};

class TNotesItem : public TNotesWrapper<IItem> {
public:
    std::u16string Name() { return Intf().Name(); }
    int32_t Type() { return Intf().Type(); }
};

class TNotesRichTextItem : public TNotesWrapper<IRichTextItem> {
public:
    // Binds to item queried for IRichTextItem; an item of another kind raises E_NOINTERFACE.
    void ConnectToItem(const std::shared_ptr<IItem>& item);
    Variant EmbeddedObjects() { return Intf().EmbeddedObjects(); }
    std::shared_ptr<IEmbeddedObject> GetEmbeddedObject(const std::u16string& name) {
        return Intf().GetEmbeddedObject(name);
    }
    std::u16string GetFormattedText(bool stripTabs, int32_t lineLength) {
        return Intf().GetFormattedText(stripTabs, lineLength);
    }
};

class TNotesEmbeddedObject : public TNotesWrapper<IEmbeddedObject> {
public:
    std::u16string Name() { return Intf().Name(); }
    void ExtractFile(const std::u16string& path) { Intf().ExtractFile(path); }
};

class TNotesDXLExporter : public TNotesWrapper<IDXLExporter> {
public:
    void SetConvertNotesBitmapsToGIF(bool value) { Intf().SetConvertNotesBitmapsToGIF(value); }
    std::u16string Export(const Variant& what) { return Intf().Export(what); }
};

template <class I> I& TNotesWrapper<I>::Intf() const {
    if (!m_intf)
        throw EOleException(u"The Domino object is not connected (no object was returned)", hresult::kPointer);
    return *m_intf;
}
