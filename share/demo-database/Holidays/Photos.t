:\Games
:\Games\Saves
:\Music
:\Pictures
:\Pictures\2019
