// The wrapper classes of the Domino Objects interfaces (interfaces/DominoObjects.h): each holds
// at most one interface reference. Only the session connects by class; every other wrapper is
// bound with ConnectTo to an interface a call returned.
//
// Failing calls raise EOleException (interfaces/ComObject.h) carrying the server's message and
// code. Its texts for the user go through Qt's translation.
#pragma once

#include "interfaces/DominoObjects.h"

#include <QCoreApplication>
#include <cstdint>
#include <memory>
#include <string>

class IComClassFactory;

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
    std::shared_ptr<IEmbeddedObject> GetNthAttachment(const std::u16string& name, int32_t n) {
        return Intf().GetNthAttachment(name, n);
    }
    std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) { return Intf().GetFirstItem(name); }
    Variant GetItemValue(const std::u16string& name) { return Intf().GetItemValue(name); }
};

class TNotesItem : public TNotesWrapper<IItem> {
public:
    std::u16string Name() { return Intf().Name(); }
    int32_t Type() { return Intf().Type(); }
    Variant Values() { return Intf().Values(); }
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
    int32_t Type() { return Intf().Type(); }
    void ExtractFile(const std::u16string& path) { Intf().ExtractFile(path); }
};

class TNotesDXLExporter : public TNotesWrapper<IDXLExporter> {
public:
    void SetConvertNotesBitmapsToGIF(bool value) { Intf().SetConvertNotesBitmapsToGIF(value); }
    void SetOmitRichtextAttachments(bool value) { Intf().SetOmitRichtextAttachments(value); }
    void SetOmitMiscFileObjects(bool value) { Intf().SetOmitMiscFileObjects(value); }
    std::u16string Export(const Variant& what) { return Intf().Export(what); }
};

template <class I> I& TNotesWrapper<I>::Intf() const {
    if (!m_intf)
        throw EOleException(
            QCoreApplication::translate("Domino", "Domino 对象没有连接（没有返回对象）").toStdU16String(),
            hresult::kPointer);
    return *m_intf;
}
