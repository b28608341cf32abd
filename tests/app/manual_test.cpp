// The user manual the help button opens: one page per catalogue page with a section for
// every entry, and every picture and link it names present.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/catalogue.h"

namespace vantrel {
namespace {

const QDir kManual(VANTREL_DOCS_DIR "/manual");

QString Read(const QString& name) {
  QFile f(kManual.filePath(name));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
  return QString::fromUtf8(f.readAll());
}

QStringList Captures(const QString& text, const char* pattern) {
  QStringList out;
  auto it = QRegularExpression(pattern).globalMatch(text);
  while (it.hasNext()) out << it.next().captured(1);
  return out;
}

TEST(Manual, EachCataloguePageHasASectionPerEntryInCatalogueOrder) {
  const char* pages[] = {"coordinate.html", "geodetic.html", "projection.html", "adjustment.html"};
  for (int page = 1; page <= 4; ++page) {
    const QString html = Read(pages[page - 1]);
    EXPECT_EQ(Captures(html, "<h2 id=\"[^\"]+\">([^<]+)</h2>"), PageEntries(page)) << pages[page - 1];
    const QString index = Read("index.html");
    EXPECT_TRUE(index.contains(QString("href=\"%1\"").arg(pages[page - 1]))) << pages[page - 1];
  }
}

TEST(Manual, EveryPictureAndLinkItNamesExists) {
  for (const QString& name : kManual.entryList({"*.html"})) {
    const QString html = Read(name);
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">")) << name.toStdString();
    QStringList targets = Captures(html, "<img src=\"([^\"]+)\"");
    targets << Captures(html, "href=\"([^\"#:]+)[\"#]");
    EXPECT_FALSE(targets.isEmpty()) << name.toStdString();
    for (const QString& t : targets)
      EXPECT_TRUE(QFileInfo::exists(kManual.filePath(t))) << name.toStdString() << " names " << t.toStdString();
    // Links within the page lead to a section of it.
    for (const QString& anchor : Captures(html, "href=\"#([^\"]+)\""))
      EXPECT_TRUE(html.contains(QString("id=\"%1\"").arg(anchor))) << name.toStdString() << " #" << anchor.toStdString();
  }
}

}  // namespace
}  // namespace vantrel
