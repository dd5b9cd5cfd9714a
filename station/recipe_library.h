#pragma once
// The recipes on offer at a bench: the JSON files of the recipes folder in the user's data folder,
// published to the records store, and the store's newest revision of every recipe, so that every
// bench on a line measures with the same revision. When the folder and the store both hold a name,
// the store's recipe is the one offered.

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

struct OfferedRecipe {
    QString name;     // the recipe's "name"; for a file that cannot be read, its file name
    int revision = 0; // 0 when the text could not be read as a recipe
    QString hash;
    QByteArray text;
    bool fromStore = false;
};

using RecipeSource = std::function<std::vector<OfferedRecipe>()>;

// Where the recipes shared through a records store go and come from.
class RecipeShelf {
public:
    virtual ~RecipeShelf() = default;
    // Publishes a readable recipe; a store that refuses it (another text under the same name and
    // revision) keeps its own.
    virtual void publish(const OfferedRecipe& recipe) = 0;
    // The newest revision of every recipe the store holds.
    virtual std::vector<OfferedRecipe> newest() = 0;
};

class RecordStore;

// The recipes of a records store, opened on the calling thread.
class StoreShelf final : public RecipeShelf {
public:
    explicit StoreShelf(RecordStore& store) : store_(store) {}
    void publish(const OfferedRecipe& recipe) override;
    std::vector<OfferedRecipe> newest() override;

private:
    RecordStore& store_;
};

// The folder "recipes" in the user's data folder.
QString defaultRecipesFolder();

// The *.json files of `folder`, by file name. A file that is not a readable recipe is still
// offered (under its file name), so that choosing it tells what is wrong with it.
std::vector<OfferedRecipe> readRecipeFolder(const QString& folder);

// The folder's recipes published to `shelf`, then the store's newest ones with the folder's whose
// name the store lacks, in name order. No shelf: the folder's alone.
std::vector<OfferedRecipe> offeredRecipes(const QString& folder, RecipeShelf* shelf);
