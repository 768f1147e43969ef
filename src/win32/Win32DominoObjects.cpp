#include "win32/Win32DominoObjects.h"

#include "win32/Dispatch.h"

namespace win32 {

namespace {

template <class A> std::shared_ptr<A> WrapIf(DispatchPtr object) {
    if (!object)
        return nullptr;
    return std::make_shared<A>(std::move(object));
}

// An array of objects (views, items, embedded objects): each object becomes an adapter of
// kind A; values that are not objects stay as they are.
template <class A> Variant ObjectArray(const OwnedVariant& value) {
    return FromVariant(*value.get(),
                       [](DispatchPtr object) -> Variant::Object { return WrapIf<A>(std::move(object)); });
}

// A document argument: Nothing for an empty pointer, else the document's own IDispatch.
DispatchPtr DocumentDispatch(const std::shared_ptr<IDocument>& doc) {
    return DispatchOf(doc);
}

class Win32ViewEntryCollection : public DispatchAdapter<IViewEntryCollection> {
public:
    using DispatchAdapter::DispatchAdapter;
    int32_t Count() override { return AsInt(Call(dispatch(), u"Count")); }
};

class Win32EmbeddedObject : public DispatchAdapter<IEmbeddedObject> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::u16string Name() override { return AsText(Call(dispatch(), u"Name")); }
    int32_t Type() override { return AsInt(Call(dispatch(), u"Type")); }
    void ExtractFile(const std::u16string& path) override { Call(dispatch(), u"ExtractFile", path); }
};

template <class I> class ItemAdapter : public DispatchAdapter<I> {
public:
    using DispatchAdapter<I>::DispatchAdapter;
    std::u16string Name() override { return AsText(Call(this->dispatch(), u"Name")); }
    int32_t Type() override { return AsInt(Call(this->dispatch(), u"Type")); }
    Variant Values() override { return FromVariant(*Call(this->dispatch(), u"Values").get()); }
};

using Win32Item = ItemAdapter<IItem2>;

class Win32RichTextItem : public ItemAdapter<IRichTextItem> {
public:
    using ItemAdapter::ItemAdapter;
    Variant EmbeddedObjects() override {
        return ObjectArray<Win32EmbeddedObject>(Call(dispatch(), u"EmbeddedObjects"));
    }
    std::shared_ptr<IEmbeddedObject> GetEmbeddedObject(const std::u16string& name) override {
        return WrapIf<Win32EmbeddedObject>(AsObject(Call(dispatch(), u"GetEmbeddedObject", name)));
    }
    std::u16string GetFormattedText(bool stripTabs, int32_t lineLength) override {
        return AsText(Call(dispatch(), u"GetFormattedText", stripTabs, lineLength));
    }
};

// An item object as the kind its type asks for: rich text items implement IRichTextItem.
std::shared_ptr<IItem> WrapItem(DispatchPtr object) {
    if (!object)
        return nullptr;
    if (AsInt(Call(object.get(), u"Type")) == item_type::kRichText)
        return std::make_shared<Win32RichTextItem>(std::move(object));
    return std::make_shared<Win32Item>(std::move(object));
}

class Win32Document : public DispatchAdapter<IDocument> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::u16string UniversalID() override { return AsText(Call(dispatch(), u"UniversalID")); }
    Variant ColumnValues() override { return FromVariant(*Call(dispatch(), u"ColumnValues").get()); }
    // The items are bound as plain items; GetFirstItem gives the rich text interface.
    Variant Items() override { return ObjectArray<Win32Item>(Call(dispatch(), u"Items")); }
    bool HasEmbedded() override { return AsBool(Call(dispatch(), u"HasEmbedded")); }
    std::shared_ptr<IEmbeddedObject> GetAttachment(const std::u16string& fileName) override {
        return WrapIf<Win32EmbeddedObject>(AsObject(Call(dispatch(), u"GetAttachment", fileName)));
    }
    std::shared_ptr<IItem> GetFirstItem(const std::u16string& name) override {
        return WrapItem(AsObject(Call(dispatch(), u"GetFirstItem", name)));
    }
    Variant GetItemValue(const std::u16string& name) override {
        return FromVariant(*Call(dispatch(), u"GetItemValue", name).get());
    }
};

class Win32View : public DispatchAdapter<IView> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::u16string Name() override { return AsText(Call(dispatch(), u"Name")); }
    int32_t ColumnCount() override { return AsInt(Call(dispatch(), u"ColumnCount")); }
    Variant ColumnNames() override { return FromVariant(*Call(dispatch(), u"ColumnNames").get()); }
    std::shared_ptr<IViewEntryCollection> AllEntries() override {
        return WrapIf<Win32ViewEntryCollection>(AsObject(Call(dispatch(), u"AllEntries")));
    }
    std::shared_ptr<IDocument> GetNthDocument(int32_t n) override {
        return WrapIf<Win32Document>(AsObject(Call(dispatch(), u"GetNthDocument", n)));
    }
    std::shared_ptr<IDocument> GetNextDocument(const std::shared_ptr<IDocument>& doc) override {
        return WrapIf<Win32Document>(AsObject(Call(dispatch(), u"GetNextDocument", DocumentDispatch(doc))));
    }
};

class Win32Database : public DispatchAdapter<IDatabase> {
public:
    using DispatchAdapter::DispatchAdapter;
    Variant Views() override { return ObjectArray<Win32View>(Call(dispatch(), u"Views")); }
    std::shared_ptr<IView> GetView(const std::u16string& name) override {
        return WrapIf<Win32View>(AsObject(Call(dispatch(), u"GetView", name)));
    }
    std::shared_ptr<IDocument> GetDocumentByUNID(const std::u16string& unid) override {
        return WrapIf<Win32Document>(AsObject(Call(dispatch(), u"GetDocumentByUNID", unid)));
    }
};

class Win32DXLExporter : public DispatchAdapter<IDXLExporter> {
public:
    using DispatchAdapter::DispatchAdapter;
    void SetConvertNotesBitmapsToGIF(bool value) override { Put(dispatch(), u"ConvertNotesBitmapsToGIF", value); }
    void SetOmitRichtextAttachments(bool value) override { Put(dispatch(), u"OmitRichtextAttachments", value); }
    void SetOmitMiscFileObjects(bool value) override { Put(dispatch(), u"OmitMiscFileObjects", value); }
    std::u16string Export(const Variant& what) override { return AsText(Call(dispatch(), u"Export", what)); }
};

class Win32Session : public DispatchAdapter<ISession> {
public:
    using DispatchAdapter::DispatchAdapter;
    void Initialize(const std::u16string& password) override { Call(dispatch(), u"Initialize", password); }
    void InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password) override {
        Call(dispatch(), u"InitializeUsingNotesUserName", userName, password);
    }
    std::shared_ptr<IDatabase> GetDatabase(const std::u16string& server, const std::u16string& path,
                                           bool createOnFail) override {
        return WrapIf<Win32Database>(AsObject(Call(dispatch(), u"GetDatabase", server, path, createOnFail)));
    }
    Variant Evaluate(const std::u16string& formula, const Variant& document) override {
        // Without a document the optional argument is left out.
        if (document.isEmpty())
            return FromVariant(*Call(dispatch(), u"Evaluate", formula).get());
        return FromVariant(*Call(dispatch(), u"Evaluate", formula, document).get());
    }
    std::shared_ptr<IDXLExporter> CreateDXLExporter() override {
        return WrapIf<Win32DXLExporter>(AsObject(Call(dispatch(), u"CreateDXLExporter")));
    }
};

} // namespace

std::shared_ptr<ISession> WrapSession(IDispatch* session) {
    return WrapIf<Win32Session>(DispatchPtr::Share(session));
}

} // namespace win32
