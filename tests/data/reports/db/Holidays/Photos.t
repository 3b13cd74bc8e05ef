:\Games
:\Games\Saves
:\Été, hiver
