#include "station/recipe_library.h"

#include "records/record_capture.h"
#include "records/record_store.h"
#include "station/recipe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <map>

void StoreShelf::publish(const OfferedRecipe& recipe)
{
    store_.publishRecipe(recipe.name, recipe.revision, recipe.hash, QString::fromUtf8(recipe.text));
}

std::vector<OfferedRecipe> StoreShelf::newest()
{
    std::vector<OfferedRecipe> found;
    for (const StoredRecipe& r : store_.newestRecipes()) found.push_back({r.name, r.revision, r.hash, r.text.toUtf8(), true});
    return found;
}

QString defaultRecipesFolder() { return QDir(userDataFolder()).filePath(QStringLiteral("recipes")); }

std::vector<OfferedRecipe> readRecipeFolder(const QString& folder)
{
    std::vector<OfferedRecipe> found;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile f(file.filePath());
        if (!f.open(QIODevice::ReadOnly)) continue;
        OfferedRecipe offered{file.fileName(), 0, {}, f.readAll(), false};
        const auto parsed = station::parseRecipe(offered.text);
        if (const auto* recipe = std::get_if<station::Recipe>(&parsed)) {
            offered.name = recipe->name;
            offered.revision = recipe->revision;
            offered.hash = recipe->hash;
        }
        found.push_back(std::move(offered));
    }
    return found;
}

std::vector<OfferedRecipe> offeredRecipes(const QString& folder, RecipeShelf* shelf)
{
    std::map<QString, OfferedRecipe> byName;
    for (OfferedRecipe& r : readRecipeFolder(folder)) {
        if (shelf && r.revision > 0) shelf->publish(r);
        byName.emplace(r.name, std::move(r));  // the first file of a name, by file name
    }
    if (shelf)
        for (OfferedRecipe& r : shelf->newest()) {
            r.fromStore = true;
            byName.insert_or_assign(r.name, std::move(r));
        }
    std::vector<OfferedRecipe> offered;
    for (auto& entry : byName) offered.push_back(std::move(entry.second));
    return offered;
}
