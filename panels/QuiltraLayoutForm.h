#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class QuiltraLayoutForm;
}

// An empty form kept beside the layout picker; it holds no behaviour.
class QuiltraLayoutForm : public QWidget
{
    Q_OBJECT

public:
    explicit QuiltraLayoutForm(QWidget *parent = nullptr);
    ~QuiltraLayoutForm() override;

private:
    std::unique_ptr<Ui::QuiltraLayoutForm> ui;
};
