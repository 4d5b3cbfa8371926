#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <pugixml.hpp>

/** Limits that keep a hostile or broken package from exhausting memory. */
struct PackageLimits {
    /** Sum of the uncompressed sizes of all parts. */
    qint64 maxTotalBytes = 200LL * 1024 * 1024;
    qint64 maxParts = 20000;
};

/** Writes the XML of a part after its declaration: its root element and what follows. */
using PartWriter = std::function<void(pugi::xml_writer& out)>;

/**
 * A package written whole under a hidden temporary name beside its target and not yet put in
 * place: commit() renames it over the target; dropped without it, the file goes. A workbook
 * filled ahead is so written while other work runs, and put in place in its turn.
 */
class PendingSave {
public:
    PendingSave() = default;
    PendingSave(PendingSave&& other) noexcept;
    PendingSave& operator=(PendingSave&& other) noexcept;
    ~PendingSave();
    PendingSave(const PendingSave&) = delete;
    PendingSave& operator=(const PendingSave&) = delete;

    bool isPending() const { return !m_temp.isEmpty(); }
    const QString& path() const { return m_path; }
    /**
     * Puts the file in place (the save's "document.write" and "document.rename" steps);
     * throws OfficeError, the temporary file gone, when it cannot.
     */
    void commit();

private:
    friend class OoxmlPackage;
    void discard();

    QString m_temp;
    QString m_path;
};

/**
 * An OOXML package (a zip of XML parts) held in memory. Parts are parsed lazily with
 * pugixml; saving writes a new zip next to the target and renames it over the target, so
 * a failed save never leaves half a file. Saving serialises one part at a time, as the zip
 * takes it in, so a big part is never held twice. Errors are thrown as OfficeError.
 */
class OoxmlPackage {
public:
    OoxmlPackage() = default;
    OoxmlPackage(const OoxmlPackage&) = delete;
    OoxmlPackage& operator=(const OoxmlPackage&) = delete;

    /** Reads every part of the zip file at path. */
    void load(const QString& path, const PackageLimits& limits = {});
    /** Reads a zip held in memory. */
    void loadFromMemory(const QByteArray& zip, const PackageLimits& limits = {});

    bool hasPart(const QString& name) const;
    /** The raw bytes of a part (serialised when it was changed as XML). */
    QByteArray partData(const QString& name) const;
    /** Replaces or adds a raw part. */
    void setPartData(const QString& name, const QByteArray& data);
    void removePart(const QString& name);
    /** Names of all parts, in their order in the package. */
    QStringList partNames() const;

    /** The parsed XML of a part; throws when the part is missing or not well-formed. */
    pugi::xml_document& xml(const QString& name);
    /** Adds a new XML part from text. */
    pugi::xml_document& createXml(const QString& name, const QByteArray& text);
    /**
     * Has a parsed part serialised by `writer` instead of from its tree: for a part whose
     * content lives partly outside the tree (the cells of a worksheet). Cleared when the
     * part is replaced or removed.
     */
    void setPartWriter(const QString& name, PartWriter writer);

    /** Target part of the first relationship of `type` (suffix) from the package root. */
    QString rootTarget(const QString& typeSuffix);
    /** The relationships part name of a part ("word/_rels/document.xml.rels"). */
    static QString relsName(const QString& part);
    /** Target part of relationship `id` of `part`, resolved to a part name. */
    QString relTarget(const QString& part, const QString& id);
    /** Target of the first relationship of `part` whose type ends with `typeSuffix`. */
    QString relTargetByType(const QString& part, const QString& typeSuffix);
    /**
     * Adds a relationship of `part` of the full `type` to `target` (relative to the part's
     * folder) and returns its new id ("rId7").
     */
    QString addRelationship(const QString& part, const QString& type, const QString& target);
    /** Removes every relationship of `part` pointing at `target` (a part name). */
    void removeRelsTo(const QString& part, const QString& target);

    /** The content type given to a part by [Content_Types].xml (override or default). */
    QString contentType(const QString& part);
    void setContentTypeOverride(const QString& part, const QString& type);
    void removeContentTypeOverride(const QString& part);
    /** Gives every part ending in `.extension` the type, unless a default for it exists. */
    void setContentTypeDefault(const QString& extension, const QString& type);
    /**
     * Starts an empty package: content types with the given overrides (part name, type) and
     * the root relationship to the main part.
     */
    void createSkeleton(const QString& mainPart,
                        const QList<std::pair<QString, QString>>& overrides);

    /** Writes the package to path atomically. */
    void save(const QString& path) const;
    /**
     * Writes the package whole beside `path` under a hidden name, for commit() to put in
     * place; throws OfficeError as save() does, leaving nothing.
     */
    PendingSave saveAside(const QString& path) const;
    /** The zip bytes (for tests and fuzzing). */
    QByteArray saveToMemory() const;

private:
    struct Part {
        QByteArray data;
        std::unique_ptr<pugi::xml_document> doc;
        PartWriter writer;
    };
    void readZip(struct zip* archive, const PackageLimits& limits);
    static QByteArray serialised(const Part& part);
    /** Writes what serialised() returns into `out`, piece by piece. */
    static void serialise(const Part& part, pugi::xml_writer& out);
    friend struct PartSource;

    std::map<QString, Part> m_parts;
    QStringList m_order;
};

/**
 * Removes what saves cut short left in `folder`: the hidden ".~<document>.XXXXXX" files of
 * documents and workbooks. False when one of them cannot be removed.
 */
bool RemoveDocumentLeftovers(const QString& folder);

/** Resolves a relationship target against the folder of its source part. */
QString ResolvePartName(const QString& sourcePart, const QString& target);

/** Zips the files of a folder (recursively) into a package at zipPath; throws OfficeError. */
void PackFolder(const QString& folder, const QString& zipPath);

/** The text of a node for error messages ("word/document.xml"). */
QString XmlErrorText(const QString& part, const pugi::xml_parse_result& result);
