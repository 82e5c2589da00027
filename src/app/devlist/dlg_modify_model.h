#pragma once
// CDlgModifyModel: asks for a device's new model text. The edit keeps the
// text under 20 bytes; Modify refuses an empty text and characters outside
// printable ASCII or " ' ? \ with a message and stays open.
//
// Tests answer it through SetAnswerer (no dialog shown while one is set).
#include "ui/popup_dialog.h"

#include <functional>
#include <string>

class CxSkinButton;
class QLabel;
class QLineEdit;

class CDlgModifyModel : public CPopupDialog {
    Q_OBJECT

public:
    using Answerer =
        std::function<bool(const std::string& mac, const std::string& model, std::string& newModel)>;

    explicit CDlgModifyModel(QWidget* parent = nullptr);

    void SetDevice(const std::string& mac, const std::string& model);
    // 1 (OK: NewModel holds the text) or 2.
    int DoModal();
    const std::string& NewModel() const { return m_newModel; }
    // The Modify button: closes with OK only when the text passes.
    void OnModify();

    // The dialog (or the answerer) on the window thread; false: cancelled.
    static bool Ask(QWidget* owner, const std::string& mac, const std::string& model, std::string& newModel);
    static void SetAnswerer(Answerer answerer);

protected:
private:
    void OnLanguageChanged() override;
    void OnEdited();

    std::string m_newModel;
    QLabel* m_macLabel;
    QLineEdit* m_macEdit;
    QLabel* m_modelLabel;
    QLineEdit* m_modelEdit;
    QLabel* m_newLabel;
    QLineEdit* m_newEdit;
    CxSkinButton* m_modify;
};
