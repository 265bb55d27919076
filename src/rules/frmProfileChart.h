#pragma once
// A column's profile drawn as a chart (PaintProfile): the editors' 分布 frame
// shows one profile, the comparison window a source beside its target.
#include <QString>
#include <QWidget>

#include <memory>

namespace generate {
struct ColumnProfile;
}

class frmProfileChart : public QWidget {
    Q_OBJECT

public:
    explicit frmProfileChart(QWidget* parent = nullptr);

    // The profiles drawn; no source draws nothing, no target the source alone.
    void setProfiles(const QString& title, std::shared_ptr<const generate::ColumnProfile> source,
                     std::shared_ptr<const generate::ColumnProfile> target);
    const generate::ColumnProfile* source() const { return m_source.get(); }
    const generate::ColumnProfile* target() const { return m_target.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    std::shared_ptr<const generate::ColumnProfile> m_source;
    std::shared_ptr<const generate::ColumnProfile> m_target;
};
