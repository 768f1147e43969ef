#include "access/Domino_TLB.h"

#include "platform/PortableComClassFactory.h"
#include <QCoreApplication>

void TNotesSession::Connect() {
    if (m_intf)
        return;
    auto object = m_factory.CreateByClass(domino_ids::kNotesSessionClass);
    auto session = std::dynamic_pointer_cast<ISession>(object);
    if (!session)
        throw EOleException(QCoreApplication::translate("Domino", "不支持此接口").toStdU16String(),
                            hresult::kNoInterface);
    m_intf = std::move(session);
}

ISession& TNotesSession::Session() {
    Connect();
    return Intf();
}

void TNotesSession::Initialize(const std::u16string& password) {
    Session().Initialize(password);
}

void TNotesSession::InitializeUsingNotesUserName(const std::u16string& userName, const std::u16string& password) {
    Session().InitializeUsingNotesUserName(userName, password);
}

std::shared_ptr<IDatabase> TNotesSession::GetDatabase(const std::u16string& server, const std::u16string& path,
                                                      bool createOnFail) {
    return Session().GetDatabase(server, path, createOnFail);
}

Variant TNotesSession::Evaluate(const std::u16string& formula, const Variant& document) {
    return Session().Evaluate(formula, document);
}

std::shared_ptr<IDXLExporter> TNotesSession::CreateDXLExporter() {
    return Session().CreateDXLExporter();
}

int32_t TNotesView::EntryCount() {
    auto entries = AllEntries();
    if (!entries)
        throw EOleException(QCoreApplication::translate("Domino", "视图没有返回条目集合").toStdU16String(),
                            hresult::kPointer);
    return entries->Count();
}

void TNotesRichTextItem::ConnectToItem(const std::shared_ptr<IItem>& item) {
    if (!item) {
        m_intf.reset();
        return;
    }
    auto rich = std::dynamic_pointer_cast<IRichTextItem>(item);
    if (!rich)
        throw EOleException(QCoreApplication::translate("Domino", "不支持此接口").toStdU16String(),
                            hresult::kNoInterface);
    m_intf = std::move(rich);
}
