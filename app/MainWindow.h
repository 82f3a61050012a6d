#pragma once

#include <QMainWindow>

class QStackedLayout;
class QuiltraForm;

namespace Ui {
class MainWindow;
}

// The single top-level window. It keeps its geometry between runs and hosts the
// editor as the only page of its central widget.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void restoreWindowGeometry();
    void saveWindowGeometry() const;

    Ui::MainWindow *ui;
    QStackedLayout *pages = nullptr;
    QuiltraForm *editorForm = nullptr;
};
