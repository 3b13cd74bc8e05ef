:\Games
:\Été
:\Games\Saves
